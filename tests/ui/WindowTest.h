#pragma once

#include "testkit/AppModelProbe.h"
#include "testkit/ModelHarness.h"
#include "testkit/TestEnvironment.h"
#include "ui/ContentView.h"

#include <QPushButton>
#include <QTest>

// A shown window content over a model with fakes, in fresh launcher folders.
class WindowTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness_ = std::make_unique<ModelHarness>(scratch() + "/settings.ini");
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
    void click(const char* name) { find<QPushButton>(name)->click(); }

private:
    std::unique_ptr<ModelHarness> harness_;
    std::unique_ptr<ContentView> view_;
};
