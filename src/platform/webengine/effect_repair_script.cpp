#include "platform/webengine/effect_repair_script.h"
#include "platform/webengine/show_document.h"

const char kEffectRepairScript[] = R"JS(
(function () {
  if (typeof AnimatedElement !== 'function' || typeof RGBColor !== 'function' || typeof colorParser !== 'function')
    return;

  // A colour the shape does not paint reads as the suite's default fill or line colour: the
  // effect animates it on a paint that shows nowhere, as the suite does.
  function orDefault(read, red, green, blue) {
    return function () {
      return read.apply(this, arguments) || new RGBColor(red / 255, green / 255, blue / 255);
    };
  }
  AnimatedElement.prototype.getFillColor = orDefault(AnimatedElement.prototype.getFillColor, 0x72, 0x9f, 0xcf);
  AnimatedElement.prototype.getStrokeColor = orDefault(AnimatedElement.prototype.getStrokeColor, 0x34, 0x65, 0xa4);

  // The text colour is that of the shape's runs of text (a paragraph's, when a paragraph is the
  // target); the engine's own reads black and sets nothing.
  AnimatedElement.prototype.getFontColor = function () {
    var run = this.aActiveElement.querySelector('text tspan[fill]');
    return (run && colorParser(run.getAttribute('fill'))) || new RGBColor(0, 0, 0);
  };
  AnimatedElement.prototype.setFontColor = function (colour) {
    var value = colour.toString(true);
    this.aActiveElement.querySelectorAll('text tspan[fill]').forEach(function (run) {
      run.setAttribute('fill', value);
    });
  };

  // An effect on the text of a whole shape animates the shape: the engine's text element
  // takes a paragraph only, and built from a shape it holds nothing at all.
  if (typeof AnimationBaseNode === 'function' && typeof NSS === 'object') {
    var parse = AnimationBaseNode.prototype.parseElement;
    AnimationBaseNode.prototype.parseElement = function () {
      var element = this.aElement;
      if (element && element.getAttributeNS(NSS['anim'], 'sub-item') === 'text') {
        var target = document.getElementById(element.getAttributeNS(NSS['smil'], 'targetElement'));
        var kind = target && target.getAttribute('class');
        if (kind !== 'TextParagraph' && kind !== 'ListItem')
          element.removeAttributeNS(NSS['anim'], 'sub-item');
      }
      return parse.apply(this, arguments);
    };
  }
})();
)JS";

QByteArray WithEffectRepairs(const QByteArray& show)
{
    if (!show.contains("attributeName=\"fill-color\"") && !show.contains("attributeName=\"stroke-color\"") &&
        !show.contains("attributeName=\"color\"") && !show.contains("anim:sub-item=\"text\""))
        return show;
    return WithScript(show, kEffectRepairScript);
}
