// SPDX-License-Identifier: GPL-3.0-or-later
// A motion path moves the centre of its shape. The path's coordinates are fractions of the
// slide's width and height, measured from where the shape's centre stands when the effect
// starts (additive "sum") or from where the slide put it (any other additive mode), as
// LibreOffice's own slide show reads them. By default the shape goes along the path at an even
// pace (SMIL's calcMode "paced"); the pace is measured in those fractions, as LibreOffice
// measures it. LibreOffice and PowerPoint write no calcMode for a path; a deck that asks for
// "linear" gives each segment of the path an equal share of the time (or the share keyTimes
// give it), one that asks for "discrete" has the shape jump from one segment's end to the next,
// as SMIL defines them. Acceleration and deceleration come from the motion or from the effect
// around it (LibreOffice's presets put them on the effect); accumulate "sum" starts each repeat
// where the last one ended. The effect's fill decides as for any other node of the show whether
// the shape stays at the end of its path.
(function () {
  // Only for an engine that knows the node but builds nothing for it: a show whose engine has
  // a motion-path node of its own plays its paths itself.
  if (typeof createAnimationNode !== 'function' || typeof AnimationBaseNode !== 'function' ||
      typeof SimpleActivity !== 'function' || typeof ANIMATION_NODE_ANIMATEMOTION !== 'number' ||
      typeof AnimationPathMotionNode === 'function')
    return;

  // Chords a curve or an arc is cut into: a path spans at most a slide or two, so the longest
  // chord stays far below a pixel of the slide's length.
  var CURVE_STEPS = 64;

  function distance(a, b) {
    var dx = b[0] - a[0], dy = b[1] - a[1];
    return Math.sqrt(dx * dx + dy * dy);
  }

  function cubicAt(p0, c1, c2, p1) {
    return function (t) {
      var s = 1 - t;
      return [s * s * s * p0[0] + 3 * s * s * t * c1[0] + 3 * s * t * t * c2[0] + t * t * t * p1[0],
              s * s * s * p0[1] + 3 * s * s * t * c1[1] + 3 * s * t * t * c2[1] + t * t * t * p1[1]];
    };
  }

  function quadraticAt(p0, c, p1) {
    return function (t) {
      var s = 1 - t;
      return [s * s * p0[0] + 2 * s * t * c[0] + t * t * p1[0], s * s * p0[1] + 2 * s * t * c[1] + t * t * p1[1]];
    };
  }

  function angleBetween(ux, uy, vx, vy) {
    return Math.atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  }

  // An elliptical arc from its end points to its centre, as SVG draws it; null when it is a line.
  function arcAt(p0, rx, ry, degrees, large, sweep, p1) {
    rx = Math.abs(rx);
    ry = Math.abs(ry);
    if (!rx || !ry || (p0[0] === p1[0] && p0[1] === p1[1]))
      return null;
    var phi = degrees * Math.PI / 180, cos = Math.cos(phi), sin = Math.sin(phi);
    var dx = (p0[0] - p1[0]) / 2, dy = (p0[1] - p1[1]) / 2;
    var x1 = cos * dx + sin * dy, y1 = -sin * dx + cos * dy;
    var radii = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (radii > 1) {
      rx *= Math.sqrt(radii);
      ry *= Math.sqrt(radii);
    }
    var num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    var den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    var coef = (large !== sweep ? 1 : -1) * Math.sqrt(Math.max(0, num / den));
    var cx1 = coef * rx * y1 / ry, cy1 = -coef * ry * x1 / rx;
    var cx = cos * cx1 - sin * cy1 + (p0[0] + p1[0]) / 2, cy = sin * cx1 + cos * cy1 + (p0[1] + p1[1]) / 2;
    var ux = (x1 - cx1) / rx, uy = (y1 - cy1) / ry;
    var start = angleBetween(1, 0, ux, uy);
    var span = angleBetween(ux, uy, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
    if (!sweep && span > 0) span -= 2 * Math.PI;
    if (sweep && span < 0) span += 2 * Math.PI;
    return function (t) {
      var a = start + t * span;
      return [cos * rx * Math.cos(a) - sin * ry * Math.sin(a) + cx, sin * rx * Math.cos(a) + cos * ry * Math.sin(a) + cy];
    };
  }

  // A path as a polyline in slide fractions: each point keeps the length of the path up to it;
  // the ends of the path's own segments are its vertices. A move inside the path is a jump of
  // no length. The path data ends at anything it cannot read (PowerPoint's paths end in "E").
  function MotionPath(sData) {
    this.aPoints = [];
    this.aLengths = [];
    this.aVertices = [];
    this.parse(sData || '');
    if (!this.aPoints.length)
      this.add([0, 0], true);
  }

  MotionPath.prototype.add = function (aPoint, bJump) {
    var n = this.aPoints.length;
    this.aLengths.push(n ? this.aLengths[n - 1] + (bJump ? 0 : distance(this.aPoints[n - 1], aPoint)) : 0);
    this.aPoints.push(aPoint);
  };

  MotionPath.prototype.segment = function (aEnd, fCurve) {
    if (!this.aPoints.length) {
      this.add([0, 0], true);
      this.aVertices.push(0);
    }
    if (fCurve) {
      for (var k = 1; k < CURVE_STEPS; ++k)
        this.add(fCurve(k / CURVE_STEPS), false);
    }
    this.add(aEnd, false);
    this.aVertices.push(this.aPoints.length - 1);
  };

  MotionPath.prototype.parse = function (sData) {
    var aTokens = [], re = /([A-Za-z])|([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)/g, m;
    while ((m = re.exec(sData)))
      aTokens.push(m[1] ? m[1] : parseFloat(m[2]));
    var i = 0, sCommand = '', aCurrent = [0, 0], aStart = [0, 0], aCubicControl = null, aQuadControl = null;
    function number() {
      return typeof aTokens[i] === 'number' ? aTokens[i++] : NaN;
    }
    function reflected(aControl) {
      return aControl ? [2 * aCurrent[0] - aControl[0], 2 * aCurrent[1] - aControl[1]] : aCurrent;
    }
    while (i < aTokens.length) {
      if (typeof aTokens[i] === 'string')
        sCommand = aTokens[i++];
      else if (!sCommand)
        return;
      var sUpper = sCommand.toUpperCase(), bRelative = sCommand !== sUpper;
      var ox = bRelative ? aCurrent[0] : 0, oy = bRelative ? aCurrent[1] : 0;
      var aEnd, c1, c2, fCurve = null, aNextCubic = null, aNextQuad = null;
      switch (sUpper) {
      case 'M':
        aEnd = [number() + ox, number() + oy];
        if (isNaN(aEnd[0] + aEnd[1])) return;
        this.add(aEnd, true);
        this.aVertices.push(this.aPoints.length - 1);
        aStart = aCurrent = aEnd;
        aCubicControl = aQuadControl = null;
        // Further pairs after a move are lines.
        sCommand = bRelative ? 'l' : 'L';
        continue;
      case 'L': aEnd = [number() + ox, number() + oy]; break;
      case 'H': aEnd = [number() + ox, aCurrent[1]]; break;
      case 'V': aEnd = [aCurrent[0], number() + oy]; break;
      case 'C':
        c1 = [number() + ox, number() + oy];
        c2 = [number() + ox, number() + oy];
        aEnd = [number() + ox, number() + oy];
        fCurve = cubicAt(aCurrent, c1, c2, aEnd);
        aNextCubic = c2;
        break;
      case 'S':
        c1 = reflected(aCubicControl);
        c2 = [number() + ox, number() + oy];
        aEnd = [number() + ox, number() + oy];
        fCurve = cubicAt(aCurrent, c1, c2, aEnd);
        aNextCubic = c2;
        break;
      case 'Q':
        c1 = [number() + ox, number() + oy];
        aEnd = [number() + ox, number() + oy];
        fCurve = quadraticAt(aCurrent, c1, aEnd);
        aNextQuad = c1;
        break;
      case 'T':
        c1 = reflected(aQuadControl);
        aEnd = [number() + ox, number() + oy];
        fCurve = quadraticAt(aCurrent, c1, aEnd);
        aNextQuad = c1;
        break;
      case 'A':
        var rx = number(), ry = number(), nAngle = number(), nLarge = number(), nSweep = number();
        aEnd = [number() + ox, number() + oy];
        if (isNaN(rx + ry + nAngle + nLarge + nSweep)) return;
        fCurve = arcAt(aCurrent, rx, ry, nAngle, !!nLarge, !!nSweep, aEnd);
        break;
      case 'Z':
        aEnd = aStart;
        // Nothing but a command may follow a close.
        sCommand = '';
        break;
      default:
        return;
      }
      if (isNaN(aEnd[0] + aEnd[1])) return;
      this.segment(aEnd, fCurve);
      aCurrent = aEnd;
      aCubicControl = aNextCubic;
      aQuadControl = aNextQuad;
    }
  };

  MotionPath.prototype.totalLength = function () {
    return this.aLengths[this.aLengths.length - 1];
  };

  MotionPath.prototype.end = function () {
    return this.aPoints[this.aPoints.length - 1];
  };

  // The point nLength along the path.
  MotionPath.prototype.atLength = function (nLength) {
    var a = this.aLengths, p = this.aPoints;
    if (nLength <= 0) return p[0];
    if (nLength >= a[a.length - 1]) return p[p.length - 1];
    var lo = 0, hi = a.length - 1; // the first point at or past nLength
    while (lo < hi) {
      var mid = (lo + hi) >> 1;
      if (a[mid] >= nLength) hi = mid; else lo = mid + 1;
    }
    var span = a[lo] - a[lo - 1];
    var u = span > 0 ? (nLength - a[lo - 1]) / span : 1;
    return [p[lo - 1][0] + u * (p[lo][0] - p[lo - 1][0]), p[lo - 1][1] + u * (p[lo][1] - p[lo - 1][1])];
  };

  // The point at nT (0..1) of the effect's simple time.
  MotionPath.prototype.at = function (nT, eCalcMode, aKeyTimes) {
    var v = this.aVertices;
    if (eCalcMode !== CALC_MODE_LINEAR && eCalcMode !== CALC_MODE_SPLINE && eCalcMode !== CALC_MODE_DISCRETE || v.length < 2)
      return this.atLength(nT * this.totalLength());
    var bDiscrete = eCalcMode === CALC_MODE_DISCRETE;
    var aTimes = aKeyTimes && aKeyTimes.length === v.length ? aKeyTimes : null;
    var timeOf = function (k) { return aTimes ? aTimes[k] : k / (bDiscrete ? v.length : v.length - 1); };
    var k = 0;
    while (k + 1 < v.length && timeOf(k + 1) <= nT)
      ++k;
    if (bDiscrete || k + 1 >= v.length)
      return this.aPoints[v[k]];
    var nSpan = timeOf(k + 1) - timeOf(k);
    var u = nSpan > 0 ? (nT - timeOf(k)) / nSpan : 1;
    var nFrom = this.aLengths[v[k]], nTo = this.aLengths[v[k + 1]];
    if (nTo <= nFrom)
      return this.aPoints[u > 0 ? v[k + 1] : v[k]];
    return this.atLength(nFrom + u * (nTo - nFrom));
  };

  // Puts the shape's centre at x, y with its present rotation and size, as the show's own
  // rotation and scaling build the shape's transform.
  function placeCentre(aElement, x, y) {
    if (x === aElement.nCenterX && y === aElement.nCenterY) return;
    aElement.nCenterX = x;
    aElement.nCenterY = y;
    aElement.aTMatrix = document.documentElement.createSVGMatrix()
      .translate(x, y)
      .rotate(aElement.nRotationAngle)
      .scaleNonUniform(aElement.nScaleFactorX, aElement.nScaleFactorY)
      .translate(-aElement.nBaseCenterX, -aElement.nBaseCenterY);
    aElement.updateTransformAttribute();
  }

  // The animation an activity drives: perform(nT, nRepeat) puts the shape at nT of its path in
  // repeat nRepeat.
  function PathMotionAnimation(aNode) {
    this.aNode = aNode;
    this.aElement = null;
    this.aOrigin = null;
    this.bStarted = false;
  }

  PathMotionAnimation.prototype.start = function (aElement) {
    this.aElement = aElement;
    this.aOrigin = this.aNode.getAdditiveMode() === ADDITIVE_MODE_SUM
      ? [aElement.getX(), aElement.getY()]
      : [aElement.getBaseCenterX(), aElement.getBaseCenterY()];
    aElement.notifyAnimationStart();
    this.bStarted = true;
  };

  PathMotionAnimation.prototype.end = function () {
    if (!this.bStarted) return;
    this.bStarted = false;
    this.aElement.notifyAnimationEnd();
  };

  PathMotionAnimation.prototype.perform = function (nT, nRepeat) {
    if (!this.aElement) return;
    var aNode = this.aNode, aPath = aNode.aMotionPath;
    var aPoint = aPath.at(nT, aNode.eMotionCalcMode, aNode.aMotionKeyTimes);
    var nLaps = aNode.bMotionAccumulates && nRepeat > 0 ? nRepeat : 0;
    var aEnd = aPath.end();
    placeCentre(this.aElement,
                this.aOrigin[0] + (aPoint[0] + nLaps * aEnd[0]) * aNode.aNodeContext.aSlideWidth,
                this.aOrigin[1] + (aPoint[1] + nLaps * aEnd[1]) * aNode.aNodeContext.aSlideHeight);
  };

  PathMotionAnimation.prototype.getUnderlyingValue = function () {
    return 0.0;
  };

  // The show's simple activity, telling the animation which repeat it is in.
  function PathMotionActivity(aParamSet, aAnimation) {
    PathMotionActivity.superclass.constructor.call(this, aParamSet, aAnimation, FORWARD);
  }
  extend(PathMotionActivity, SimpleActivity);

  PathMotionActivity.prototype.performContinuousHook = function (nModifiedTime, nRepeatCount) {
    if (this.isDisposed() || !this.aAnimation) return;
    this.aAnimation.perform(nModifiedTime, nRepeatCount);
  };

  // An effect cut short (a click during it) ends where it would have ended.
  PathMotionActivity.prototype.performEnd = function () {
    if (!this.aAnimation) return;
    if (this.isAutoReverse()) {
      this.aAnimation.perform(0, 0);
      return;
    }
    var nRepeats = this.isRepeatCountValid() ? this.getRepeatCount() : 1;
    var nLaps = Math.max(0, Math.ceil(nRepeats) - 1);
    this.aAnimation.perform(this.calcAcceleratedTime(nRepeats - nLaps), nLaps);
  };

  function MotionPathNode(aAnimElem, aParentNode, aNodeContext) {
    MotionPathNode.superclass.constructor.call(this, aAnimElem, aParentNode, aNodeContext);
    this.sClassName = 'MotionPathNode';
    this.aMotionPath = null;
    this.eMotionCalcMode = CALC_MODE_PACED;
    this.aMotionKeyTimes = null;
    this.bMotionAccumulates = false;
  }
  extend(MotionPathNode, AnimationBaseNode);

  MotionPathNode.prototype.parseElement = function () {
    var bRet = MotionPathNode.superclass.parseElement.call(this);
    var aAnimElem = this.aElement;
    // A motion without a path takes its time and leaves the shape where it is, as the suite
    // plays it.
    this.aMotionPath = new MotionPath(aAnimElem.getAttribute('path') || aAnimElem.getAttributeNS(NSS['svg'], 'path'));
    var sCalcMode = aAnimElem.getAttributeNS(NSS['smil'], 'calcMode');
    this.eMotionCalcMode = sCalcMode && aCalcModeInMap[sCalcMode] ? aCalcModeInMap[sCalcMode] : CALC_MODE_PACED;
    var sKeyTimes = aAnimElem.getAttributeNS(NSS['smil'], 'keyTimes');
    this.aMotionKeyTimes = sKeyTimes ? sKeyTimes.split(';').map(parseFloat) : null;
    this.bMotionAccumulates = aAnimElem.getAttributeNS(NSS['smil'], 'accumulate') === 'sum';
    return bRet;
  };

  // The pace of the effect around the motion counts too, the strongest of them, as in the
  // suite's own show.
  MotionPathNode.prototype.fillActivityParams = function () {
    var aParamSet = MotionPathNode.superclass.fillActivityParams.call(this);
    for (var aNode = this.getParentNode(); aNode; aNode = aNode.getParentNode()) {
      aParamSet.nAccelerationFraction = Math.max(aParamSet.nAccelerationFraction, aNode.getAccelerateValue() || 0);
      aParamSet.nDecelerationFraction = Math.max(aParamSet.nDecelerationFraction, aNode.getDecelerateValue() || 0);
    }
    return aParamSet;
  };

  MotionPathNode.prototype.createActivity = function () {
    return new PathMotionActivity(this.fillActivityParams(), new PathMotionAnimation(this));
  };

  var createEngineNode = createAnimationNode;
  createAnimationNode = function (aElement, aParentNode, aNodeContext) {
    if (getAnimationElementType(aElement) === ANIMATION_NODE_ANIMATEMOTION)
      return new MotionPathNode(aElement, aParentNode, aNodeContext);
    return createEngineNode(aElement, aParentNode, aNodeContext);
  };
})();
