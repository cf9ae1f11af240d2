// Control behaviour: the digits-only edit box and the focus-dependent selection colours.
#include "app/controls.h"

#include <QEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPalette>

namespace tovik {
namespace {

bool IsTypedDigitOrMinus(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'-';
}

// Swaps the control's highlight colours with its background ones as the focus comes and goes.
class SelectionHider : public QObject {
  public:
    explicit SelectionHider(QWidget* control)
        : QObject(control), control_(control), shown_(control->palette()) {
        hidden_ = shown_;
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            hidden_.setColor(group, QPalette::Highlight, shown_.color(group, QPalette::Base));
            hidden_.setColor(group, QPalette::HighlightedText, shown_.color(group, QPalette::Text));
        }
        control_->setPalette(control->hasFocus() ? shown_ : hidden_);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_) {
            if (event->type() == QEvent::FocusIn) {
                control_->setPalette(shown_);
            } else if (event->type() == QEvent::FocusOut &&
                       static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
                // A context menu of the control's own keeps its selection in view.
                control_->setPalette(hidden_);
            }
        }
        return false;
    }

  private:
    QWidget* control_;
    QPalette shown_;
    QPalette hidden_;
};

}  // namespace

DigitsEdit::DigitsEdit(QWidget* parent) : QLineEdit(parent) {}

void DigitsEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool shortcut =
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    bool printable = !typed.isEmpty();
    bool allowed = true;
    for (const QChar c : typed) {
        printable = printable && c.isPrint();
        allowed = allowed && IsTypedDigitOrMinus(c);
    }
    if (!shortcut && printable && !allowed) {
        event->accept();  // dropped: the box neither shows it nor passes it on
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DigitsEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Text composed with an input method is typed too; keep only the characters a key may type.
    QString kept;
    for (const QChar c : event->commitString()) {
        if (IsTypedDigitOrMinus(c)) {
            kept.append(c);
        }
    }
    if (kept.size() != event->commitString().size()) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void HideSelectionWithoutFocus(QWidget* control) {
    control->installEventFilter(new SelectionHider(control));  // owned by the control
}

}  // namespace tovik
