// Qt's own dialogs (printing, files, message boxes, the print preview) speak
// the program's language, Russian, whatever the machine's locale says.
#pragma once

class QCoreApplication;
class QTranslator;

namespace tikhomap {

// Loads Qt's Russian catalogue from Qt's translations folder and installs it
// on the application, which owns it. Null where the catalogue is not
// installed (Debian's qt6-translations-l10n): Qt's dialogs then stay in
// English.
QTranslator* installQtTranslations(QCoreApplication& app);

}  // namespace tikhomap
