#pragma once
// How a bulk run names its files: a template such as "frame{n}" (the default, giving
// frame12.bmp), "{src}_{n:06}" or "shot-{time}", to which the output type's extension is added.
//
//   {n}      the frame number; {n:06} pads it with zeros to six digits
//   {time}   the frame's time, n x T, as 00-01-02.500 (hours-minutes-seconds.milliseconds)
//   {src}    the video's file name without its extension
//
// A template is refused before anything is written when two frames could get the same name
// (it holds neither {n} nor {time}, or {time} alone for frames less than a millisecond apart)
// or a name could leave the output folder (a '/' in it).

#include "common/Status.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kadrel {

// Error number of a template that is refused.
inline constexpr int kBadNameTemplate = kFirstProgramError + 40;

class NameTemplate {
public:
    static constexpr const char* kDefault = "frame{n}";

    // The template of text, or why it is refused.
    static Result<NameTemplate> parse(const QString& text);
    NameTemplate();  // kDefault

    // Refuses a template of {time} without {n} for frames closer than its milliseconds tell.
    Status checkDistinct(double timePerFrame) const;
    // The file name of frame n of src (without folder), with extension (".bmp").
    QString fileName(std::int32_t n, double time, const QString& src,
                     const QString& extension) const;
    const QString& text() const { return m_text; }

private:
    struct Piece {
        enum class Kind { Text, Number, Time, Source } kind = Kind::Text;
        QString text;   // for Text
        int width = 0;  // for Number: the zero-padded width, 0 for none
    };

    // Holds text, with no pieces yet: what parse() fills.
    explicit NameTemplate(const QString& text) : m_text(text) {}

    QString m_text;
    std::vector<Piece> m_pieces;
};

// The time in a file name: "00-01-02.500".
QString fileNameTime(double seconds);

}  // namespace kadrel
