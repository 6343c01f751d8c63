#pragma once
// A file path as the system's bytes inside a QString. Linux file names are
// bytes; names copied from Windows are often Latin-1, which Qt's own decoding
// cannot carry back to the same bytes. Here every byte that is no part of valid
// UTF-8 stands as one lone surrogate (U+DC80 to U+DCFF), so a path goes from
// bytes to QString and back unchanged.
#include <QString>
#include <string>

namespace ostrel::res {

QString PathFromBytes(const std::string& bytes);
std::string PathBytes(const QString& path);
// The path as shown: each byte that is not UTF-8 as the replacement character.
QString PathShown(const QString& path);

}  // namespace ostrel::res
