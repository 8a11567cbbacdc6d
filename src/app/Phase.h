#pragma once

#include <QString>

// Where the launcher stands. `needs` carries the sentence that says what went wrong.
class Phase {
public:
    enum class Kind { Needs, NotDownloaded, Downloading, SettingUp, Ready, Starting, Playing };

    Phase() = default;
    Phase(Kind kind) : kind_(kind) {} // NOLINT: a plain kind reads naturally at call sites
    static Phase needs(QString text) { return Phase(Kind::Needs, std::move(text)); }

    Kind kind() const { return kind_; }
    // The sentence of a `needs` phase; empty for every other phase.
    const QString& text() const { return text_; }

    friend bool operator==(const Phase&, const Phase&) = default;

private:
    Phase(Kind kind, QString text) : kind_(kind), text_(std::move(text)) {}

    Kind kind_ = Kind::NotDownloaded;
    QString text_;
};
