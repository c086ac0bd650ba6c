// The image resolver of the HTML view: routes picture references to the package or the styles
// folder loader.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace rezmira {

/// Two handler slots, set once by the main window before any report is prepared. Each takes a
/// name and the target byte stream to fill.
class TIMGResolver {
public:
    using Handler = std::function<void(const QString &name, QByteArray &target)>;

    /// For references that begin with "htmlres://" (exactly these lower-case letters), called
    /// with that prefix removed.
    Handler OnResourceImage;
    /// For every other reference, called with the reference unchanged.
    Handler OnFileImage;

    /// Routes `reference` to the handler it belongs to. With no handler set for it, `stream` is
    /// left unchanged. Handler exceptions pass through to the caller.
    void ResolveImage(const QString &reference, QByteArray &stream) const;
};

/// The one resolver that every HTML view asks for its pictures.
TIMGResolver &ImageResolver();

/// The folder of the XSL style sheets, set by the main window when it is first shown (empty
/// until then). Style names of the HTML view are relative to it.
QString &HTMLViewStylesPath();

} // namespace rezmira
