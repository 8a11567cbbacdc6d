#include "testkit/TestEnvironment.h"

#ifdef QUILLFIRE_GUI_TESTS
#include <QApplication>
using Application = QApplication; // window tests
#else
#include <QCoreApplication>
using Application = QCoreApplication; // the core's tests never load widgets
#endif

int main(int argc, char** argv) {
    testkit::isolateProcess();
    qputenv("QUILLFIRE_TEST_PID", QByteArray::number(QCoreApplication::applicationPid()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
