#include "capture/NameTemplate.h"

#include "capture/FrameNumber.h"

#include <QRegularExpression>

#include <algorithm>

namespace kadrel {

namespace {

Status refused(const QString& text, const QString& why)
{
    return Status::failure(kBadNameTemplate,
                           QStringLiteral("The name template \"%1\" %2.").arg(text, why));
}

}  // namespace

NameTemplate::NameTemplate() : NameTemplate(parse(QString::fromLatin1(kDefault)).value()) {}

Result<NameTemplate> NameTemplate::parse(const QString& text)
{
    static const QRegularExpression field(QStringLiteral("\\{([^{}]*)\\}"));
    static const QRegularExpression padded(QStringLiteral("^n:0([1-9]|10)$"));
    NameTemplate names(text);
    qsizetype at = 0;
    auto addText = [&](qsizetype end) -> Status {
        const QString plain = text.mid(at, end - at);
        if (plain.contains(QLatin1Char('{')) || plain.contains(QLatin1Char('}')))
            return refused(text, QStringLiteral("has a brace that opens or closes no field"));
        if (!plain.isEmpty())
            names.m_pieces.push_back({Piece::Kind::Text, plain, 0});
        return {};
    };
    for (auto it = field.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (Status s = addText(m.capturedStart()); !s)
            return s;
        at = m.capturedEnd();
        const QString name = m.captured(1);
        if (name == QLatin1String("n"))
            names.m_pieces.push_back({Piece::Kind::Number, {}, 0});
        else if (const auto p = padded.match(name); p.hasMatch())
            names.m_pieces.push_back({Piece::Kind::Number, {}, p.captured(1).toInt()});
        else if (name == QLatin1String("time"))
            names.m_pieces.push_back({Piece::Kind::Time, {}, 0});
        else if (name == QLatin1String("src"))
            names.m_pieces.push_back({Piece::Kind::Source, {}, 0});
        else
            return refused(text, QStringLiteral("has an unknown field {%1} (known: {n}, {n:06}, "
                                                "{time}, {src})").arg(name));
    }
    if (Status s = addText(text.size()); !s)
        return s;
    if (text.contains(QLatin1Char('/')) || text.contains(QChar(0)))
        return refused(text, QStringLiteral("would put files outside the output folder"));
    const auto holds = [&](Piece::Kind kind) {
        return std::any_of(names.m_pieces.begin(), names.m_pieces.end(),
                           [kind](const Piece& p) { return p.kind == kind; });
    };
    if (!holds(Piece::Kind::Number) && !holds(Piece::Kind::Time))
        return refused(text, QStringLiteral("gives every frame the same name: add {n} or {time}"));
    return names;
}

Status NameTemplate::checkDistinct(double timePerFrame) const
{
    const bool numbered = std::any_of(m_pieces.begin(), m_pieces.end(), [](const Piece& p) {
        return p.kind == Piece::Kind::Number;
    });
    // Times rounded to milliseconds differ for frames at least a millisecond apart.
    if (numbered || timePerFrame >= 0.001)
        return {};
    return refused(m_text, QStringLiteral("gives frames less than a millisecond apart the same "
                                          "name: add {n}"));
}

QString NameTemplate::fileName(std::int32_t n, double time, const QString& src,
                               const QString& extension) const
{
    QString name;
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Piece::Kind::Text:
            name += piece.text;
            break;
        case Piece::Kind::Number:
            name += QStringLiteral("%1").arg(n, piece.width, 10, QLatin1Char('0'));
            break;
        case Piece::Kind::Time:
            name += fileNameTime(time);
            break;
        case Piece::Kind::Source:
            name += src;
            break;
        }
    }
    return name + extension;
}

QString fileNameTime(double seconds)
{
    return clockText(seconds).replace(QLatin1Char(':'), QLatin1Char('-'));
}

}  // namespace kadrel
