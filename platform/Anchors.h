// Anchors: keeps controls at fixed distances from chosen edges of their parent.
//
// A control anchored to an edge keeps the distance it had, when anchored, to that
// edge of the parent's client area; anchored to both opposite edges it stretches;
// anchored to neither it keeps its centre at the same proportion. The parent must
// have its design size when controls are anchored: that size is the reference.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace qelvor {

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
inline constexpr TAnchors kDefaultAnchors = akLeft | akTop;

// The bounds of a control with designBounds in a parent of designParent size, once
// the parent has size parent.
QRect AnchoredBounds(const QRect& designBounds, const QSize& designParent, const QSize& parent, TAnchors anchors);

class TAnchorLayout : public QObject {
public:
    // Watches parent's resizes; owned by parent.
    explicit TAnchorLayout(QWidget* parent);

    // Anchors child (a child of the parent) with its current bounds as the reference.
    void Anchor(QWidget* child, TAnchors anchors);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> child;  // a child deleted early is skipped
        QRect designBounds;
        QSize designParent;
        TAnchors anchors;
    };
    void Apply();

    QWidget* parent_;
    std::vector<Entry> entries_;
};

}  // namespace qelvor
