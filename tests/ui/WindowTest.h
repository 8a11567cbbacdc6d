#pragma once

#include "testkit/TestEnvironment.h"
#include "ui/AppModelProbe.h"
#include "ui/ContentView.h"
#include "ui/ModelHarness.h"

#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

// Lets the event loop run until `condition` holds; false when it never did.
inline bool eventually(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// A shown window content over a model with fakes, in fresh launcher folders.
class WindowTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness_ = std::make_unique<ModelHarness>(scratch() + QStringLiteral("/settings.ini"));
        view_ = std::make_unique<ContentView>(model());
        view_->resize(620, 700);
        view_->show();
    }
    void TearDown() override {
        view_.reset();
        harness_.reset();
    }

    AppModel& model() { return *harness_->model; }
    AppModelProbe probe() { return AppModelProbe(model()); }
    ModelHarness& harness() { return *harness_; }
    ContentView& view() { return *view_; }

    template <typename T = QWidget> T* find(const char* name) const {
        return view_->findChild<T*>(QLatin1String(name));
    }
    bool shown(const char* name) const {
        const QWidget* widget = find(name);
        return widget && widget->isVisible();
    }

private:
    std::unique_ptr<ModelHarness> harness_;
    std::unique_ptr<ContentView> view_;
};
