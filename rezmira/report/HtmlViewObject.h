// The HTML content view as a stretchable object of the report engine, and the protocol's
// program-supplied services: the HTML object factory, XMLValue, and the picture loaders.
#pragma once

#include "rezmira/report/ProtocolReport.h"
#include "rezmira/report/engine/StretchObject.h"

#include <QByteArray>
#include <QString>

namespace rezmira::report {

/// Makes TfrxHTMLView objects for template objects of kind "HTML" (their "XSLStyle" property
/// names the style sheet); nullptr for any other kind.
StretchObjectFactory htmlViewFactory();

/// XMLValue over the styles folder `stylesPath` (see TransformXmlValue).
XmlValueFunction xmlValueFunction(const QString &stylesPath);

/// Points the HTML view at the styles folder and routes its picture requests: "htmlres://"
/// references to the entries of `package` (which must outlive every drawing of the report), all
/// others to the styles folder.
void setUpHtmlView(const QByteArray &package, const QString &stylesPath);

} // namespace rezmira::report
