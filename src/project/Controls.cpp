#include "project/Controls.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

namespace ProjectInspector {

namespace {

struct ActionBlock {
    QString name;
    QString contents;
};

QRegularExpression compiled(const QString& pattern) {
    QRegularExpression expression(pattern);
    // Compile now, while the static is being initialised, not lazily on a
    // first match that might run on several threads at once.
    expression.optimize();
    return expression;
}

// The first match's number, or nothing when there is no match or it does not fit.
std::optional<qint64> firstNumber(const QRegularExpression& pattern, QStringView text) {
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || match.capturedView(1).isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 number = match.capturedView(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

// Godot 4 writes most keys as physical ones with "keycode":0, and 4.2+ also
// writes "key_label"; a 0 anywhere means "not this property", so the next one
// is asked.
QString keyEventLabel(QStringView event) {
    static const QRegularExpression logical =
        compiled(QStringLiteral("\"(?:scancode|keycode)\":(\\d+)"));
    static const QRegularExpression physical =
        compiled(QStringLiteral("\"physical_(?:scancode|keycode)\":(\\d+)"));
    static const QRegularExpression printed = compiled(QStringLiteral("\"key_label\":(\\d+)"));
    for (const QRegularExpression* pattern : {&logical, &physical, &printed}) {
        const std::optional<qint64> code = firstNumber(*pattern, event);
        if (code && *code != 0)
            return detail::keyLabel(*code);
    }
    return {};
}

QString mouseButtonLabel(std::optional<qint64> button) {
    switch (button.value_or(0)) {
    case 1:
        return QStringLiteral("Left mouse button");
    case 2:
        return QStringLiteral("Right mouse button");
    case 3:
        return QStringLiteral("Middle mouse button");
    case 4:
        return QStringLiteral("Scroll up");
    case 5:
        return QStringLiteral("Scroll down");
    default:
        return QStringLiteral("Mouse button");
    }
}

QString joypadAxisLabel(std::optional<qint64> axis) {
    const qint64 number = axis.value_or(0);
    if (number <= 1)
        return QStringLiteral("Left stick");
    if (number <= 3)
        return QStringLiteral("Right stick");
    return QStringLiteral("Gamepad trigger");
}

// One event's label; empty for events the table does not show (mouse motion, touch...).
QString eventLabel(QStringView event) {
    static const QRegularExpression buttonIndex =
        compiled(QStringLiteral("\"button_index\":(\\d+)"));
    static const QRegularExpression axis = compiled(QStringLiteral("\"axis\":(\\d+)"));
    if (event.startsWith(u"Key"))
        return keyEventLabel(event);
    if (event.startsWith(u"MouseButton"))
        return mouseButtonLabel(firstNumber(buttonIndex, event));
    if (event.startsWith(u"JoypadMotion"))
        return joypadAxisLabel(firstNumber(axis, event));
    if (event.startsWith(u"JoypadButton"))
        return QStringLiteral("Gamepad button ") +
               QString::number(firstNumber(buttonIndex, event).value_or(0));
    return {};
}

// The text of the [input] section, without its header line's "[input]".
std::optional<QStringView> inputSection(QStringView text) {
    constexpr QStringView header = u"\n[input]";
    const qsizetype at = text.indexOf(header);
    if (at < 0)
        return std::nullopt;
    QStringView section = text.mid(at + header.size());
    const qsizetype nextSection = section.indexOf(u"\n[");
    if (nextSection >= 0)
        section.truncate(nextSection);
    return section;
}

// A header starts in the first column with the action's name, then "={".
// Quoted names and indented lines belong to the action above.
std::optional<QStringView> headerName(QStringView line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || !line.mid(equals + 1).startsWith(u'{') || line.startsWith(u' ') ||
        line.startsWith(u'"'))
        return std::nullopt;
    return line.first(equals);
}

QList<ActionBlock> actionBlocks(QStringView section) {
    QList<ActionBlock> blocks;
    std::optional<ActionBlock> current;
    for (const QStringView line : section.split(u'\n')) {
        if (const std::optional<QStringView> name = headerName(line)) {
            if (current)
                blocks.append(std::move(*current));
            current = ActionBlock{name->toString(), {}};
        } else if (current) {
            current->contents += line;
            current->contents += u'\n';
        }
    }
    if (current)
        blocks.append(std::move(*current));
    return blocks;
}

QStringList distinctLabels(QStringView contents) {
    QStringList labels;
    const QList<QStringView> events = contents.split(u"Object(InputEvent");
    for (qsizetype i = 1; i < events.size(); ++i) {
        const QString label = eventLabel(events[i]);
        if (!label.isEmpty() && !labels.contains(label))
            labels.append(label);
    }
    return labels;
}

} // namespace

QList<ControlEntry> parseControls(const QString& projectText) {
    const std::optional<QStringView> section = inputSection(projectText);
    if (!section)
        return {};
    QList<ControlEntry> entries;
    for (const ActionBlock& block : actionBlocks(*section)) {
        if (block.name.startsWith(QLatin1String("ui_")))
            continue;
        const QStringList labels = distinctLabels(block.contents);
        if (!labels.isEmpty())
            entries.append({detail::humanize(block.name), labels.join(QLatin1String(" / "))});
    }
    return entries;
}

namespace detail {

QString keyLabel(qint64 code) {
    // Each special key twice: its Godot 3 code, then its Godot 4 code.
    static const QHash<qint64, QString> keyNames{
        {32, QStringLiteral("Space")},       {16777217, QStringLiteral("Esc")},
        {16777218, QStringLiteral("Tab")},   {16777221, QStringLiteral("Enter")},
        {16777237, QStringLiteral("Shift")}, {16777238, QStringLiteral("Ctrl")},
        {16777240, QStringLiteral("Alt")},   {16777231, QStringLiteral("Left")},
        {16777232, QStringLiteral("Up")},    {16777233, QStringLiteral("Right")},
        {16777234, QStringLiteral("Down")},  {4194305, QStringLiteral("Esc")},
        {4194306, QStringLiteral("Tab")},    {4194309, QStringLiteral("Enter")},
        {4194325, QStringLiteral("Shift")},  {4194326, QStringLiteral("Ctrl")},
        {4194328, QStringLiteral("Alt")},    {4194319, QStringLiteral("Left")},
        {4194320, QStringLiteral("Up")},     {4194321, QStringLiteral("Right")},
        {4194322, QStringLiteral("Down")},
    };
    if (const auto found = keyNames.constFind(code); found != keyNames.cend())
        return *found;
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return QChar(char16_t(code));
    return QStringLiteral("Key ") + QString::number(code);
}

QString humanize(const QString& actionName) {
    QStringList pieces = actionName.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (pieces.size() >= 2 && pieces.first() == QLatin1String("player"))
        pieces.removeFirst();
    const QString joined = pieces.join(QLatin1Char(' '));
    if (joined.isEmpty())
        return joined;
    // The first character may be a surrogate pair, and may upper-case to several ("ß" -> "SS").
    const qsizetype firstLength = joined.at(0).isHighSurrogate() && joined.size() > 1 ? 2 : 1;
    return joined.first(firstLength).toUpper() + joined.mid(firstLength);
}

} // namespace detail

} // namespace ProjectInspector
