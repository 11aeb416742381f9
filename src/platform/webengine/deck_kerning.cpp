#include "platform/webengine/deck_kerning.h"

QByteArray WithDeckKerning(const QByteArray& show, const QByteArray& flatOdf)
{
    if (flatOdf.contains("letter-kerning=\"true\""))
        return show;
    const qsizetype root = show.indexOf("<svg");
    const qsizetype rootEnd = root < 0 ? -1 : show.indexOf('>', root);
    // A root that has a style of its own is left as the export wrote it.
    if (rootEnd < 0 || show.mid(root, rootEnd - root).contains(" style="))
        return show;
    QByteArray result = show;
    result.insert(root + 4, " style=\"font-kerning:none\"");
    return result;
}
