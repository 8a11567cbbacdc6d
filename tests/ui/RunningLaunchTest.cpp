#include "ui/SettingsView.h"
#include "ui/WindowTest.h"

#include <QComboBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// A hosting service on 127.0.0.1 that takes connections and never answers,
// so that a launch run stays in its first download until it is cancelled.
class SilentServer {
public:
    SilentServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                socket->setParent(&server_);
        });
        previous_ = qgetenv("QUILLFIRE_HOSTING_URL");
        qputenv("QUILLFIRE_HOSTING_URL",
                QByteArray("http://127.0.0.1:") + QByteArray::number(server_.serverPort()));
    }
    ~SilentServer() { qputenv("QUILLFIRE_HOSTING_URL", previous_); }
    bool listening() const { return server_.isListening(); }

private:
    QTcpServer server_;
    QByteArray previous_;
};

} // namespace

class RunningLaunch : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(server_.listening());
        find<QPushButton>("playButton")->click();
        ASSERT_TRUE(eventually([&] {
            return model().isWorking() && model().phase().kind() == Phase::Kind::Downloading;
        }));
    }
    void TearDown() override {
        model().cancel();
        EXPECT_TRUE(eventually([&] { return !model().isWorking(); }, 30000));
        WindowTest::TearDown();
    }

private:
    SilentServer server_;
};

TEST_F(RunningLaunch, PlayIsShownDisabledWhileTheRunGoesOn) {
    EXPECT_TRUE(shown("cancelButton"));
    for (const Phase& phase : {Phase(Phase::Kind::NotDownloaded), Phase(Phase::Kind::Ready),
                               Phase::needs(QStringLiteral("Something."))}) {
        probe().setPhase(phase);
        EXPECT_TRUE(shown("playButton"));
        EXPECT_FALSE(find("playButton")->isEnabled());
    }
}

TEST_F(RunningLaunch, CancelEndsTheRun) {
    find<QPushButton>("cancelButton")->click();
    ASSERT_TRUE(eventually([&] { return !model().isWorking(); }, 30000));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::NotDownloaded);
    EXPECT_TRUE(shown("playButton"));
    EXPECT_TRUE(find("playButton")->isEnabled());
}

TEST_F(RunningLaunch, SettingsOffersOnlyWhatCannotHarmTheRun) {
    probe().setHasSaves(true);
    find<QPushButton>("settingsButton")->click();
    auto* sheet = view().findChild<SettingsView*>();
    ASSERT_TRUE(sheet);
    for (const char* name : {"updateButton", "reinstallButton", "removeButton"})
        EXPECT_FALSE(sheet->findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;
    for (const char* name : {"revealButton", "showSavesButton", "windowedChoice",
                             "fullscreenChoice", "resolutionChoice"})
        EXPECT_TRUE(sheet->findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;

    model().cancel(); // the row comes back as soon as the run is over
    ASSERT_TRUE(eventually([&] { return !model().isWorking(); }, 30000));
    EXPECT_TRUE(sheet->findChild<QWidget*>(QStringLiteral("updateButton"))->isEnabled());
}
