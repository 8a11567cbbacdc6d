#include "ui/AboutView.h"

#include "app/AppModel.h"
#include "download/Hosting.h"
#include "ui/TextStyle.h"

#include <QDesktopServices>
#include <QLabel>
#include <QVBoxLayout>

AboutView::AboutView(AppModel& model, QWidget* parent)
    : TitledDialog(QStringLiteral("About"), dialogSize, 10, parent), model_(model),
      game_(Look::label(QString(), TextStyle::Body, this)),
      licence_(Look::label(QString(), TextStyle::Callout, this)) {
    setObjectName(QStringLiteral("aboutView"));
    game_->setObjectName(QStringLiteral("gameLine"));
    licence_->setObjectName(QStringLiteral("licenceLine"));
    column()->addWidget(game_);
    column()->addWidget(licence_);
    column()->addWidget(
        Look::label(QStringLiteral("Engine: Godot, MIT licence, \u00a9 Godot Engine contributors."),
                    TextStyle::Callout, this));
    column()->addWidget(Look::label(QStringLiteral("Based on varnel/godot_brennick, MIT License."),
                                    TextStyle::Callout, this));

    const Link link = repositoryLink();
    auto* linkLabel = new QLabel(this);
    linkLabel->setObjectName(QStringLiteral("repositoryLink"));
    linkLabel->setAccessibleName(link.label);
    linkLabel->setTextFormat(Qt::RichText);
    linkLabel->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                           .arg(link.url.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                link.label.toHtmlEscaped()));
    linkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(linkLabel, &QLabel::linkActivated, this,
            [url = link.url] { QDesktopServices::openUrl(url); });
    column()->addWidget(linkLabel);

    column()->addWidget(
        Look::secondaryLabel(QStringLiteral("Nothing is sent anywhere except the downloads."),
                             TextStyle::Caption, this));
    addDoneRow();

    connect(&model_, &AppModel::infoChanged, this, &AboutView::sync);
    sync();
}

QString AboutView::gameLine(const std::optional<GameInfo>& info) {
    const QString author = info && !info->copyrightLine.isEmpty()
                               ? info->copyrightLine
                               : QStringLiteral("varnel (the repository owner)");
    return QStringLiteral("Game: Brennick by ") + author + QLatin1Char('.');
}

QString AboutView::licenceLine(const std::optional<GameInfo>& info) {
    const QString licence =
        info ? info->licenseName
             : QStringLiteral("MIT License (project files); the game's art and sound files have "
                              "their own licences, see the repository.");
    return QStringLiteral("Licence: ") + licence +
           QStringLiteral(
               ". The game belongs to its author; this app only downloads and starts it.");
}

AboutView::Link AboutView::repositoryLink() {
    const QString host = QUrl(Hosting::baseUrl()).host();
    const QString path = QLatin1String(Hosting::repositoryPath);
    QUrl url(QStringLiteral("https://") + host + path, QUrl::StrictMode);
    if (host.isEmpty() || !url.isValid())
        url = QUrl::fromLocalFile(QStringLiteral("/"));
    return {host + path, url};
}

void AboutView::sync() {
    game_->setText(gameLine(model_.info()));
    licence_->setText(licenceLine(model_.info()));
}
