// SPDX-License-Identifier: GPL-3.0-or-later
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

  // A colour set at once (a "set" of the fill, line or text colour) reaches the element as the
  // deck writes it, "#333399", where the engine's setters take a colour and stop the engine on
  // anything else; every colour is made one here, HSL ones made RGB.
  function asColour(value) {
    var colour = typeof value === 'string' ? colorParser(value) : value;
    return colour && !(colour instanceof RGBColor) && typeof colour.convertToRGB === 'function' ? colour.convertToRGB()
                                                                                              : colour;
  }
  function takingAnyColour(set) {
    return function (value) {
      var colour = asColour(value);
      if (colour)
        set.call(this, colour);
    };
  }

  // A colour change written in fractions of a degree or a per cent, as a deck comes back from
  // .ppt ("hsl(179.29,0%,0%)"): the engine reads whole numbers only, and an effect without its
  // change stops the engine with a message box.
  var parseColour = colorParser;
  colorParser = function (value) {
    var colour = parseColour(value);
    var hsl = !colour && typeof value === 'string' && typeof HSLColor === 'function' &&
        /^\s*hsl\(\s*([+-]?[0-9.]+)\s*,\s*([+-]?[0-9.]+)%\s*,\s*([+-]?[0-9.]+)%\s*\)\s*$/.exec(value);
    return hsl ? new HSLColor(parseFloat(hsl[1]), parseFloat(hsl[2]) / 100, parseFloat(hsl[3]) / 100) : colour;
  };

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
  AnimatedElement.prototype.setFillColor = takingAnyColour(AnimatedElement.prototype.setFillColor);
  AnimatedElement.prototype.setStrokeColor = takingAnyColour(AnimatedElement.prototype.setStrokeColor);
  AnimatedElement.prototype.setFontColor = takingAnyColour(AnimatedElement.prototype.setFontColor);

  // The text's weight, slant, underline and face, which the engine has no property for: an
  // effect naming one threw as it was built, and took the effects built with it along. They
  // are set on the shape's paragraphs. A change of the text's size is let pass without one:
  // larger letters would leave the places the suite gave the lines.
  if (typeof aAttributeMap === 'object' && typeof ENUM_PROPERTY === 'number' && typeof NUMBER_PROPERTY === 'number') {
    var textStyles = {
      'font-weight': ['font-weight', 'normal'],
      'font-style': ['font-style', 'normal'],
      'text-underline': ['text-decoration', 'none'],
      'font-family': ['font-family', '']
    };
    Object.keys(textStyles).forEach(function (name) {
      if (aAttributeMap[name])
        return;
      var svgName = textStyles[name][0], plain = textStyles[name][1];
      var method = name.replace(/-(\w)/g, function (dash, letter) { return letter.toUpperCase(); });
      AnimatedElement.prototype['get' + method] = function () {
        var paragraph = this.aActiveElement.querySelector('tspan.TextParagraph');
        return (paragraph && paragraph.getAttribute(svgName)) || plain;
      };
      AnimatedElement.prototype['set' + method] = function (value) {
        if (name === 'text-underline')
          value = value === 'none' ? 'none' : 'underline';
        this.aActiveElement.querySelectorAll('tspan.TextParagraph').forEach(function (paragraph) {
          paragraph.setAttribute(svgName, value);
        });
      };
      aAttributeMap[name] = { 'type': ENUM_PROPERTY, 'get': 'get' + method, 'set': 'set' + method };
    });
    // A slant of the whole shape ("skewX", a bounce of the breaks effects) passes the same way.
    AnimatedElement.prototype.getUnchanged = function () { return 0; };
    AnimatedElement.prototype.setUnchanged = function () {};
    ['font-size', 'skewX', 'skewY'].forEach(function (name) {
      if (!aAttributeMap[name])
        aAttributeMap[name] = { 'type': NUMBER_PROPERTY, 'get': 'getUnchanged', 'set': 'setUnchanged' };
    });
  }

  // A node the engine has no kind for (the physics motions: a shape that falls or is thrown)
  // is left out; built, it failed and took the whole effect with it, the fade and the hiding of
  // a "fall and fade out" among them.
  if (typeof createChildNode === 'function' && typeof getAnimationElementType === 'function' &&
      typeof ANIMATION_NODE_CUSTOM === 'number') {
    var buildChild = createChildNode;
    createChildNode = function (element) {
      if (getAnimationElementType(element) === ANIMATION_NODE_CUSTOM)
        return true;
      return buildChild.apply(this, arguments);
    };
  }

  // An effect that goes letter by letter or word by word: the engine builds nothing for it, and
  // its shape neither comes, changes nor goes. It is played on the whole text at once, the
  // letters' animations aimed at the shape the effect names.
  if (typeof createIteratedNodes === 'function' && typeof createChildNode === 'function' &&
      typeof getElementChildren === 'function' && typeof NSS === 'object') {
    createIteratedNodes = function (element, container, context) {
      var target = element.getAttributeNS(NSS['smil'], 'targetElement');
      var subItem = element.getAttributeNS(NSS['anim'], 'sub-item');
      var children = getElementChildren(element);
      for (var i = 0; i < children.length; ++i) {
        if (target && !children[i].getAttributeNS(NSS['smil'], 'targetElement'))
          children[i].setAttributeNS(NSS['smil'], 'smil:targetElement', target);
        if (subItem && !children[i].getAttributeNS(NSS['anim'], 'sub-item'))
          children[i].setAttributeNS(NSS['anim'], 'anim:sub-item', subItem);
        if (!createChildNode(children[i], container, context)) {
          container.removeAllChildrenNodes();
          return;
        }
      }
    };
  }

  // A click while effects that started by themselves (with the slide, or after one that did)
  // still run ends them, as the suite's show does: the engine counted no effect as playing,
  // found no click effect registered yet (the next one is only waiting once they are over) and
  // moved to the next slide, cutting the slide short with all its effects still to come.
  if (typeof SlideShow === 'function') {
    var nextEffect = SlideShow.prototype.nextEffect;
    SlideShow.prototype.nextEffect = function () {
      var skip = this.aEventMultiplexer && this.aEventMultiplexer.aSkipEffectEvent;
      var clickEffectWaits = this.aNextEffectEventArray && this.nCurrentEffect < this.aNextEffectEventArray.size();
      if (this.isEnabled() && !this.isTransitionPlaying() && !this.isAnyEffectPlaying() && !clickEffectWaits &&
          skip && skip.isCharged() && !(this.aActivityQueue.isEmpty() && this.aTimerEventQueue.isEmpty())) {
        this.aEventMultiplexer.notifySkipEffectEvent();
        this.update();
        return true;
      }
      return nextEffect.apply(this, arguments);
    };
  }

  // An effect on the text of a whole shape animates the shape: the engine's text element
  // takes a paragraph only, and built from a shape it holds nothing at all.
  if (typeof AnimationBaseNode === 'function' && typeof NSS === 'object') {
    var parse = AnimationBaseNode.prototype.parseElement;
    AnimationBaseNode.prototype.parseElement = function () {
      var element = this.aElement;
      // A text size comes as a share of the text's own ("150%"), where the engine reads a number.
      if (element && element.getAttributeNS(NSS['smil'], 'attributeName') === 'font-size') {
        ['to', 'from', 'by', 'values'].forEach(function (key) {
          var value = element.getAttributeNS(NSS['smil'], key);
          if (value)
            element.setAttributeNS(NSS['smil'], 'smil:' + key,
                                   value.replace(/pt/g, '').replace(/([0-9.]+)%/g, '($1 / 100)'));
        });
      }
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
