#pragma once

#include "project/GameInfo.h"

#include <QWidget>

#include <optional>

class AppModel;
class QVBoxLayout;

// What is known about the game: its title, facts, controls and hints, or a
// word about the first download while nothing is known yet.
class GameDetailsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int actionColumnWidth = 120;

    explicit GameDetailsView(AppModel& model, QWidget* parent = nullptr);

    // "3D game · Godot 3.5.3 · MIT License · Copyright (c) 2023 varnel"
    static QString factsLine(const GameInfo& info);

private:
    void rebuild();
    void addIntro(QVBoxLayout* column);
    void addDetails(QVBoxLayout* column, const GameInfo& info);
    void addControls(QVBoxLayout* column, const GameInfo& info);

    AppModel& model_;
    QWidget* body_ = nullptr;
};
