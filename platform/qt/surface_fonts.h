// Font descriptions and text flags of the drawing surface, in Qt's terms (platform-internal).
#pragma once

#include "platform/base/types.h"

#include <QFont>
#include <QString>

namespace tnv {

namespace surfacefonts {

QFont toQFont(const FontDesc& desc);
FontDesc fromQFont(const QFont& font);
int toQtTextFlags(UINT format);
// CR LF and lone CR become line feeds (they break lines unless DT_SINGLELINE).
QString normaliseLineEnds(QString text, UINT format);

} // namespace surfacefonts

} // namespace tnv
