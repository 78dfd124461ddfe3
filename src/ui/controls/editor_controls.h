#pragma once
// The controls the register setup editors are made of, made once: each
// carries the name the editor knows it by (the element of a control array
// "name_index"), texts cross the Qt boundary as Windows-1252, and the
// captions come from the language file.
#include <QLineEdit>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// A text box with a typing limit: the user types at most `limit`
// characters, while a text the program shows stands whole, as the value
// stored (a longer stored value is neither cut on screen nor on its way back
// to the file). About as wide as its limit.
class FieldBox : public QLineEdit {
public:
    FieldBox(QWidget* parent, const QString& name, int limit);

    // Shows the text (Windows-1252) whole.
    void Show(const std::string& text);
    // The text as it stands, and without blanks around it.
    std::string Text() const;
    std::string Typed() const;
    int Limit() const { return limit_; }
    void SetLimit(int limit);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int limit_;
};

QLabel* NewLabel(QWidget* parent, const QString& name);
QPushButton* NewButton(QWidget* parent, const QString& name);
QCheckBox* NewCheck(QWidget* parent, const QString& name);
QGroupBox* NewFrame(QWidget* parent, const QString& name);
// A drop-down list.
QComboBox* NewList(QWidget* parent, const QString& name);
// The name of element i of a control array.
QString ArrayName(const char* name, int index);

// Fills the list with the items (Windows-1252) and leaves no item selected;
// neither the clearing nor the filling counts as a choice of the list.
void FillList(QComboBox* list, const std::vector<std::string>& items);
// The list's position + 1: the record number chosen, 0 when none.
int16_t ListChoice(const QComboBox* list);
// The text of the chosen item; empty when none is chosen.
std::string ListText(const QComboBox* list);

// Check boxes that each stand for one bit of a value: the box ticked adds its
// weight. A bit without a box is written as 0.
struct FlagBox {
    QCheckBox* box;
    int weight;
};
// Ticks every box, shown or hidden, whose bit is set in the value.
void ShowFlags(const std::vector<FlagBox>& boxes, int64_t value);
// The sum of the weights of the ticked boxes. A box hidden for the model or
// for want of a text counts as it is ticked (ShowFlags set it from the stored
// value, so its bit passes through); a bit without a box is 0, except the bits
// of keep, which come from stored.
int64_t FlagsValue(const std::vector<FlagBox>& boxes, int64_t stored = 0, int64_t keep = 0);

// The weight of an option bit named by its letter (A 128, B 64 ... H 1; 0 for
// any other character), and of element i of a control array of bit boxes
// (element 0 weight 128, each next half the one before).
int LetterWeight(char letter);
int IndexWeight(int index);
// The boxes of a control array of `count` elements, with their weights.
std::vector<FlagBox> ArrayFlags(QCheckBox* const* boxes, int count);
// The boxes, each with the weight of its letter in `letters` ("DEFGH").
std::vector<FlagBox> Letters(const std::vector<QCheckBox*>& boxes, const char* letters);

// A masked edit box of digits: the mask names a digit with "#" and takes
// any other character as a fixed separator ("##/##/##"). Its text is the
// whole mask with "_" in every place not filled, as the user sees it. A text
// the program shows that the mask cannot hold (a bad file's "ab/cd/ef") is
// kept as it was until the user changes the box.
class MaskBox : public QLineEdit {
public:
    MaskBox(QWidget* parent, const QString& name, const std::string& mask);
    std::string MaskText() const;
    // Shows the text, the separators in their places; an empty text empties
    // the box.
    void ShowMask(const std::string& text);

private:
    std::string shown_;   // the text last shown
    QString asMasked_;    // how the mask showed it
};

// A field refused by a save: the first one since the last TakeRefused is
// noted for the status text, with its control (so that the user can be taken
// to it). Always false, for "ok = Refuse(box)".
bool Refuse(const QWidget* control);
// The same with the name given (control: the box, when there is one).
bool RefuseAs(const std::string& name, const QWidget* control = nullptr);
// The field noted by Refuse, forgotten: its name ("" when none) and its
// control (null when none, or when it is gone).
struct Refusal {
    std::string name;
    QWidget* control = nullptr;
};
Refusal TakeRefusal();
// The name only.
std::string TakeRefused();

// The caption of a control from the language file; an empty text hides the
// control (SetCtlCaption).
void SetCaption(QWidget* control, const std::string& section, const std::string& key);
// The texts of an editor of a numbered section: its caption from section
// "Caption", its Load, Save and Send buttons from section "Comandi" keys
// "2", "3" and "4" (an empty text hides the button).
void NumberedTexts(QWidget* window, const std::string& section);
// The texts of an editor named by its window: its caption is key `name` of
// section `name`, and every label, button, check box and frame takes the text
// of its own name in that section, set as it stands (an empty text leaves
// the control empty, not hidden).
void WindowNameTexts(QWidget* window, const std::string& name);
