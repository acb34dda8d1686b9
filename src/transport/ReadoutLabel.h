#pragma once
// The frame readout's label: a text wider than the label (a long number with a note after it)
// is drawn in a font just small enough to fit, rather than losing its start.

#include <QLabel>

namespace kadrel {

class ReadoutLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kadrel
