// FormPlacement: where a form's frame goes when it is shown.
//
// Centring divides with truncation toward zero and uses the form's outer size as
// stored in its layout, so the result does not depend on the frame a window manager
// adds (or does not add).
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

}  // namespace qelvor
