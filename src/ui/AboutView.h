#pragma once

#include "project/GameInfo.h"
#include "ui/TitledDialog.h"

#include <QUrl>

#include <optional>

class AppModel;
class QLabel;

// Whose game this is, the licences of the game and the engine, and where the
// game's repository lives.
class AboutView : public TitledDialog {
    Q_OBJECT
public:
    static constexpr QSize dialogSize{460, 320};

    explicit AboutView(AppModel& model, QWidget* parent = nullptr);

    static QString gameLine(const std::optional<GameInfo>& info);
    static QString licenceLine(const std::optional<GameInfo>& info);

    // The repository's web page, and how the link names it (the address without its scheme).
    struct Link {
        QString label;
        QUrl url;
    };
    static Link repositoryLink();

private:
    void sync();

    AppModel& model_;
    QLabel* game_;
    QLabel* licence_;
};
