#pragma once

namespace quillon {

/// Installs Qt's own translations for the user's language (QLocale()), so that Qt's buttons and
/// dialogs (是/否/取消/确定, the font and colour dialogs) speak it: once, on the application's
/// thread, before the library's first window. Does nothing elsewhere, for English, or when Qt's
/// texts are translated already (the host installed a translator for them).
void useQtTranslations();

} // namespace quillon
