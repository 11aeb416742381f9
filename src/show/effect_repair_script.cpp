#include "show/effect_repair_script.h"
#include "show/show_document.h"


QByteArray WithEffectRepairs(const QByteArray& show)
{
    if (!show.contains("attributeName=\"fill-color\"") && !show.contains("attributeName=\"stroke-color\"") &&
        !show.contains("attributeName=\"color\"") && !show.contains("anim:sub-item=\"text\"") &&
        !show.contains("<anim:iterate") && !show.contains("node-type=\"with-previous\"") &&
        !show.contains("node-type=\"after-previous\""))
        return show;
    return WithPageScript(show, QStringLiteral("effect_repairs"));
}
