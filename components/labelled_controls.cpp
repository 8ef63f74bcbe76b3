#include "components/labelled_controls.h"

TLImage::TLImage(QWidget* owner) : Labelled(owner, false) {
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
}

TLPanel::TLPanel(QWidget* owner) : Labelled(owner) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

TLOutline::TLOutline(QWidget* owner) : Labelled(owner) {
    setHeaderHidden(true);
}

TLTreeView::TLTreeView(QWidget* owner) : Labelled(owner) {
    setHeaderHidden(true);
}
