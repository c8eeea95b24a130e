// Panel: a container with an outer and an inner bevel, one pixel each.
//
// Raised bevels are light at the top and left and dark at the bottom and right;
// lowered bevels the other way round. The outer bevel is drawn at the edge, the
// inner one just inside it. Children are placed in client coordinates of the panel.
#pragma once

#include <QWidget>

namespace qelvor {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public QWidget {
public:
    explicit TPanel(QWidget* parent);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut bevel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
};

}  // namespace qelvor
