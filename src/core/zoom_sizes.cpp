#include "core/zoom_sizes.h"

ZoomSize ZoomSizeFor(int index)
{
    return index >= 0 && index < static_cast<int>(kZoomSizes.size()) ? kZoomSizes[index] : kZoomSizes[0];
}
