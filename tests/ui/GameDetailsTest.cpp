#include "ui/WindowTest.h"

#include <QGridLayout>
#include <QLabel>

namespace {

class GameDetails : public WindowTest {
protected:
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
};

TEST_F(GameDetails, ShowsTheGamesFactsAndControlsOrWhatWillAppear) {
    const QString intro = "A time-trial Brennick made with Godot.";
    EXPECT_EQ(text("detailsTitle"), intro);
    EXPECT_TRUE(text("detailsNote").startsWith("Details from the game's README"));
    GameInfo info;
    info.summary = "A time-trial shooter.";
    info.licenseName = "MIT License";
    info.copyrightLine = "Copyright (c) 2023 varnel";
    info.is3D = true;
    info.controls = {{QUuid::createUuid(), "Shoot", "Left mouse"},
                     {QUuid::createUuid(), "Jump", "Space"}};
    probe().setInfo(info);
    EXPECT_EQ(text("detailsTitle"), "A time-trial shooter.");
    EXPECT_EQ(text("detailsFacts"),
              "3D game \u00b7 Godot 3.5.3 \u00b7 MIT License \u00b7 Copyright (c) 2023 varnel");
    const auto* grid = static_cast<QGridLayout*>(find("controlsTable")->layout());
    EXPECT_EQ(static_cast<QLabel*>(grid->itemAtPosition(1, 1)->widget())->text(), "Space");
    EXPECT_TRUE(text("mouseHint").endsWith("Alt+Tab also switches away."));

    info.projectName = "Brennick";
    info.summary.clear();
    info.copyrightLine.clear();
    info.controls.clear();
    info.is3D = false;
    probe().setInfo(info);
    EXPECT_EQ(text("detailsTitle"), "Brennick");
    EXPECT_EQ(text("detailsFacts"), "2D game \u00b7 Godot 3.5.3 \u00b7 MIT License");
    EXPECT_EQ(text("seeReadme"), "See README");
    EXPECT_FALSE(find("controlsTable"));
    probe().setInfo(std::nullopt);
    EXPECT_EQ(text("detailsTitle"), intro);
}

} // namespace
