// The viewer's settings: the remembered key store and the style sheets folder.
#pragma once

#include <QString>

namespace rezmira {

/// The single settings object. `LastKey` is the path of the remembered key store file (empty
/// when none is remembered); `XSLStylesPath` the folder of the style sheets.
class TSettingsObj {
public:
    QString LastKey;
    QString XSLStylesPath;
};

} // namespace rezmira
