#include "ui/GameDetailsView.h"
#include "ui/WindowTest.h"

#include <QGridLayout>
#include <QLabel>

namespace {

GameInfo game(bool is3D) {
    GameInfo info;
    info.projectName = QStringLiteral("Brennick");
    info.summary = QStringLiteral("A time-trial shooter.");
    info.engineVersion = QStringLiteral("3.5.3");
    info.licenseName = QStringLiteral("MIT License");
    info.copyrightLine = QStringLiteral("Copyright (c) 2023 varnel");
    info.is3D = is3D;
    info.controls = {{QUuid::createUuid(), QStringLiteral("Shoot"), QStringLiteral("Left mouse")},
                     {QUuid::createUuid(), QStringLiteral("Jump"), QStringLiteral("Space, A")}};
    return info;
}

QStringList tableTexts(const QWidget* table) {
    const auto* grid = static_cast<QGridLayout*>(table->layout());
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < 2; ++column)
            texts << static_cast<QLabel*>(grid->itemAtPosition(row, column)->widget())->text();
    return texts;
}

} // namespace

class GameDetails : public WindowTest {
protected:
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
};

TEST_F(GameDetails, BeforeTheFirstDownloadTellsWhatWillAppear) {
    EXPECT_EQ(text("detailsTitle"), QStringLiteral("A time-trial Brennick made with Godot."));
    EXPECT_EQ(text("detailsNote"), QStringLiteral("Details from the game's README, its licence and "
                                                  "its controls appear here after the first "
                                                  "download."));
    EXPECT_FALSE(find("controlsHeading"));
}

TEST_F(GameDetails, A3DGameWithControls) {
    probe().setInfo(game(true));
    EXPECT_EQ(text("detailsTitle"), QStringLiteral("A time-trial shooter."));
    EXPECT_EQ(text("detailsFacts"), QStringLiteral("3D game \u00b7 Godot 3.5.3 \u00b7 MIT License "
                                                   "\u00b7 Copyright (c) 2023 varnel"));
    EXPECT_EQ(text("controlsHeading"), QStringLiteral("Controls"));
    EXPECT_EQ(tableTexts(find("controlsTable")),
              (QStringList{"Shoot", "Left mouse", "Jump", "Space, A"}));
    EXPECT_TRUE(shown("controlsNote"));
    EXPECT_FALSE(find("seeReadme"));
    EXPECT_EQ(text("mouseHint"),
              QStringLiteral("If the mouse is captured by the game, press Esc to "
                             "release it (the game's Cancel key). Alt+Tab also "
                             "switches away."));
}

TEST_F(GameDetails, A2DGameWithoutSummaryCopyrightOrControls) {
    GameInfo info = game(false);
    info.summary.clear();
    info.copyrightLine.clear();
    info.controls.clear();
    probe().setInfo(info);
    EXPECT_EQ(text("detailsTitle"), QStringLiteral("Brennick"));
    EXPECT_EQ(text("detailsFacts"),
              QStringLiteral("2D game \u00b7 Godot 3.5.3 \u00b7 MIT License"));
    EXPECT_EQ(text("seeReadme"), QStringLiteral("See README"));
    EXPECT_FALSE(find("controlsTable"));
    EXPECT_FALSE(find("controlsNote"));
    EXPECT_FALSE(find("mouseHint"));
}

TEST_F(GameDetails, FollowsTheModelBackToNoGame) {
    probe().setInfo(game(true));
    probe().setInfo(std::nullopt);
    EXPECT_EQ(text("detailsTitle"), QStringLiteral("A time-trial Brennick made with Godot."));
    EXPECT_FALSE(find("detailsFacts"));
}
