// The "Find Text" dialog of the text view: what to find, what to put instead, whole words and
// case, and one button per action. It stays open until Cancel; the view does the searching.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vellum::gui {

class FindTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindTextDialog(QWidget* parent = nullptr);

    QLineEdit* What() const { return what_; }
    QLineEdit* With() const { return with_; }
    QCheckBox* WholeWord() const { return wholeWord_; }
    QCheckBox* MatchCase() const { return matchCase_; }
    QPushButton* FindNextButton() const { return findNext_; }
    QPushButton* ReplaceButton() const { return replace_; }
    QPushButton* ReplaceAllButton() const { return replaceAll_; }

signals:
    void FindNext();
    void Replace();
    void ReplaceAll();

private:
    QLineEdit* what_;
    QLineEdit* with_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QPushButton* findNext_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
};

} // namespace vellum::gui
