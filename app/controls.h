// Control behaviour the window needs beyond stock Qt widgets: an edit box that only takes typed
// digits and "-", and selections that are hidden while their control lacks the focus.
#pragma once

#include <QLineEdit>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace tovik {

// Typed printable characters other than "0" to "9" and "-" are dropped; control keys and
// shortcuts work as usual, and pasted or dropped text is taken as it is.
class DigitsEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit DigitsEdit(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

// Paints `control`'s selection in its normal colours while it has the focus, and invisibly
// (highlight as the background) otherwise. Call after the control's palette is final.
void HideSelectionWithoutFocus(QWidget* control);

}  // namespace tovik
