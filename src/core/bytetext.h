#pragma once

#include <QString>
#include <string>

namespace vantrel::core {

// Router texts and stored values are bytes. Valid UTF-8 is shown as such, anything else byte
// for byte (Latin-1), so nothing is lost on the way to the screen.
QString RouterText(const std::string &bytes);

// The bytes of a text the user sees or typed. `original` is the byte string the text was shown
// from: while the text is unchanged those bytes come back exactly (a community name stored in
// Latin-1 still matches the router), and a changed text is UTF-8.
std::string UserBytes(const QString &text, const std::string &original = std::string());

} // namespace vantrel::core
