#include "platform/Anchors.h"

#include <QEvent>
#include <algorithm>
#include "runtime/Assert.h"

namespace qelvor {

namespace {

// One axis: start and length of the control, the parent's design and current length.
void AnchorAxis(int& start, int& length, int designParent, int parent, bool nearEdge, bool farEdge)
{
    const int growth = parent - designParent;
    if (nearEdge && farEdge)
        length += growth;
    else if (farEdge)
        start += growth;
    else if (!nearEdge)
        start = (start * 2 + length) * parent / (designParent * 2) - length / 2;  // centre kept in proportion
}

}  // namespace

QRect AnchoredBounds(const QRect& designBounds, const QSize& designParent, const QSize& parent, TAnchors anchors)
{
    int left = designBounds.left(), width = designBounds.width();
    int top = designBounds.top(), height = designBounds.height();
    AnchorAxis(left, width, designParent.width(), parent.width(), anchors & akLeft, anchors & akRight);
    AnchorAxis(top, height, designParent.height(), parent.height(), anchors & akTop, anchors & akBottom);
    return {left, top, std::max(width, 0), std::max(height, 0)};
}

TAnchorLayout::TAnchorLayout(QWidget* parent) : QObject(parent), parent_(parent)
{
    QELVOR_ASSERT(parent != nullptr);
    parent->installEventFilter(this);
}

void TAnchorLayout::Anchor(QWidget* child, TAnchors anchors)
{
    QELVOR_ASSERT(child != nullptr && child->parentWidget() == parent_);
    entries_.push_back({child, child->geometry(), parent_->size(), anchors});
}

bool TAnchorLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent_ && event->type() == QEvent::Resize)
        Apply();
    return false;
}

void TAnchorLayout::Apply()
{
    for (const Entry& entry : entries_) {
        if (entry.child.isNull() || entry.anchors == kDefaultAnchors)
            continue;
        entry.child->setGeometry(AnchoredBounds(entry.designBounds, entry.designParent, parent_->size(), entry.anchors));
    }
}

}  // namespace qelvor
