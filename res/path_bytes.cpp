#include "res/path_bytes.h"

namespace ostrel::res {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(QChar c, QChar before) {
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF && !before.isHighSurrogate();
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at text[i], or 0.
size_t ValidSequence(const std::string& text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, lowest = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, lowest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, lowest = 0x10000;
    else
        return 0;
    if (i + length > text.size()) return 0;
    unsigned code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if (!IsContinuation(at(i + k))) return 0;
        code = (code << 6) | (at(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

}  // namespace

QString PathFromBytes(const std::string& bytes) {
    QString path;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t run = 0, length = 0;
        while (i + run < bytes.size() && (length = ValidSequence(bytes, i + run)) > 0)
            run += length;
        path += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(run));
        i += run;
        if (i < bytes.size()) path += QChar(kEscapeBase + static_cast<unsigned char>(bytes[i++]));
    }
    return path;
}

std::string PathBytes(const QString& path) {
    std::string bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!IsEscape(path[i], i > 0 ? path[i - 1] : QChar())) continue;
        bytes += path.mid(from, i - from).toStdString();
        bytes += static_cast<char>(path[i].unicode() - kEscapeBase);
        from = i + 1;
    }
    bytes += path.mid(from).toStdString();
    return bytes;
}

QString PathShown(const QString& path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (IsEscape(path[i], i > 0 ? path[i - 1] : QChar()))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

}  // namespace ostrel::res
