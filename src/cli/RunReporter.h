#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <cstdio>

class AppModel;

// Prints a run as it happens: step texts, every log line, and a progress line
// (redrawn in place on a terminal, a plain line every few seconds otherwise).
class RunReporter : public QObject {
    Q_OBJECT
public:
    RunReporter(AppModel& model, FILE* out, bool terminal);

    static QString progressBar(std::optional<double> fraction, int width);

private:
    void printLine(const QString& text);
    void showProgress();
    void clearProgress();

    AppModel& model_;
    FILE* out_;
    bool terminal_;
    bool progressShown_ = false;
    QElapsedTimer sincePlainProgress_;
};
