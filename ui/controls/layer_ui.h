#pragma once

#include "ui/layer.h"

// The common base of the controls: the element base as it is; each control replaces Draw.
class CLayerUI : public CLayer {
 public:
  using CLayer::CLayer;
};
