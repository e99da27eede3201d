#pragma once

namespace orvane {

// Settings files written on Windows name Windows fonts: "ＭＳ Ｐゴシック" above all.
// Where such a font is not installed, text is drawn with a metric-compatible installed
// one (IPA P Gothic for the proportional Japanese fonts, IPA Gothic for the fixed
// ones), so Japanese texts show properly. Installed fonts of the same name win.
void InstallFontSubstitutes();

}  // namespace orvane
