// FormPlacement: where a form's frame goes when it is shown.
//
// Centring divides with truncation toward zero and uses the form's outer size as
// stored in its layout, so the result does not depend on the frame a window manager
// adds (or does not add). A window larger than the screen's available area (a small
// screen, a large scale) is first made to fit it (FitIntoArea: the forms are sizeable
// and their anchors keep the controls usable), then centred, and KeepOnScreen keeps
// its frame inside that area, clear of panels and docks.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace qelvor {

enum class TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };

// Top-left of the frame. poOwnerFormCenter centres over the owner form when there is
// one and otherwise on the screen, as poScreenCenter does; poDesigned keeps designed.
QPoint PlaceForm(TPosition position, const QPoint& designed, const QSize& outerSize, const QRect& screen,
                 const std::optional<QRect>& ownerForm = std::nullopt);

// The outer size of a frame of outerSize made to fit available: each side as it is
// where it fits, else as long as the area's side. No area (no screen) changes nothing.
QSize FitIntoArea(const QSize& outerSize, const QRect& available);

// Top-left of a frame of outerSize moved, as little as it takes, into the screen's
// available area: inside it when the frame fits, else at its left and top edges, so
// that the title bar (and the window's close and move handles) can always be reached.
QPoint KeepOnScreen(const QPoint& topLeft, const QSize& outerSize, const QRect& available);

}  // namespace qelvor
