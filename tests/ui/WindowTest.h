#pragma once

#include "testkit/AppModelProbe.h"
#include "testkit/ModelHarness.h"
#include "testkit/TestEnvironment.h"
#include "ui/MainWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The shown window over a model with fakes, in fresh launcher folders.
class WindowTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness = std::make_unique<ModelHarness>(scratch() + "/settings.ini");
        window = std::make_unique<MainWindow>(model());
        window->show();
    }
    void TearDown() override {
        window.reset();
        harness.reset();
    }

    AppModel& model() { return *harness->model; }
    AppModelProbe probe() { return AppModelProbe(model()); }
    template <typename T = QWidget> T* find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    bool shown(const char* name) const { return find(name) && find(name)->isVisible(); }
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
    void click(const char* name) { find<QPushButton>(name)->click(); }

    std::unique_ptr<ModelHarness> harness;
    std::unique_ptr<MainWindow> window;
};
