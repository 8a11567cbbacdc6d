#include "cli/RunReporter.h"

#include "app/AppModel.h"

#include <cmath>

namespace {
constexpr int barWidth = 24;
constexpr qint64 plainProgressEveryMs = 3000;
} // namespace

RunReporter::RunReporter(AppModel& model, FILE* out, bool terminal)
    : model_(model), out_(out), terminal_(terminal) {
    connect(&model.log(), &LogStore::appended, this, &RunReporter::printLine);
    connect(&model, &AppModel::stepTextChanged, this, [this] {
        if (!model_.stepText().isEmpty())
            printLine(model_.stepText());
    });
    connect(&model, &AppModel::phaseChanged, this, [this] {
        if (model_.phase().kind() == Phase::Kind::Playing)
            printLine(QStringLiteral("Playing. Press Ctrl-C to stop the game."));
    });
    connect(&model, &AppModel::detailTextChanged, this, &RunReporter::showProgress);
    connect(&model, &AppModel::updateAvailableChanged, this, [this] {
        if (model_.updateAvailable().value_or(false))
            printLine(QStringLiteral("A newer version of Brennick is available: quillfire update"));
    });
}

QString RunReporter::progressBar(std::optional<double> fraction, int width) {
    if (!fraction)
        return QLatin1Char('[') + QString(width, QLatin1Char('.')) + QLatin1Char(']');
    const double clamped = std::clamp(*fraction, 0.0, 1.0);
    const int filled = static_cast<int>(std::lround(clamped * width));
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
           QString(width - filled, QLatin1Char('-')) +
           QStringLiteral("] %1%").arg(std::lround(clamped * 100), 3);
}

void RunReporter::printLine(const QString& text) {
    clearProgress();
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), out_);
    std::fflush(out_);
    if (terminal_ && model_.canCancel() && !model_.detailText().isEmpty())
        showProgress();
}

void RunReporter::showProgress() {
    if (!model_.canCancel() || model_.detailText().isEmpty())
        return;
    const QString line =
        progressBar(model_.progress(), barWidth) + QStringLiteral("  ") + model_.detailText();
    if (terminal_) {
        std::fputs((QStringLiteral("\r\033[K") + line).toUtf8().constData(), out_);
        progressShown_ = true;
    } else if (!sincePlainProgress_.isValid() ||
               sincePlainProgress_.elapsed() >= plainProgressEveryMs) {
        std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), out_);
        sincePlainProgress_.start();
    }
    std::fflush(out_);
}

void RunReporter::clearProgress() {
    if (!progressShown_)
        return;
    std::fputs("\r\033[K", out_);
    progressShown_ = false;
}
