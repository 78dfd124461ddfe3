#include "ui/controls/editor_controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "core/record.h"

FieldBox::FieldBox(QWidget* parent, const QString& name, int limit) : QLineEdit(parent), limit_(limit) {
    setObjectName(name);
    setMaxLength(limit);
}

void FieldBox::SetLimit(int limit) {
    limit_ = limit;
    setMaxLength(std::max<int>(limit_, static_cast<int>(text().size())));
    updateGeometry();
}

void FieldBox::Show(const std::string& text) {
    const QString shown = ToQt(text);
    setMaxLength(std::max<int>(limit_, static_cast<int>(shown.size())));
    setText(shown);
}

std::string FieldBox::Text() const { return FromQt(text()); }

std::string FieldBox::Typed() const { return tables::TrimBlanks(Text()); }

QSize FieldBox::sizeHint() const {
    // Room for the limit's characters (at least four) and the frame.
    QSize size = QLineEdit::sizeHint();
    const int chars = std::clamp(limit_, 4, 32);
    size.setWidth(fontMetrics().horizontalAdvance(QString(chars, QChar('0'))) + 16);
    return size;
}

QSize FieldBox::minimumSizeHint() const {
    QSize size = QLineEdit::minimumSizeHint();
    size.setWidth(std::min(sizeHint().width(), fontMetrics().horizontalAdvance(QString(6, QChar('0'))) + 16));
    return size;
}

QLabel* NewLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QPushButton* NewButton(QWidget* parent, const QString& name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* NewCheck(QWidget* parent, const QString& name) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    return box;
}

QGroupBox* NewFrame(QWidget* parent, const QString& name) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    return frame;
}

QComboBox* NewList(QWidget* parent, const QString& name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMinimumContentsLength(3);
    return list;
}

QString ArrayName(const char* name, int index) { return QString("%1_%2").arg(name).arg(index); }

void FillList(QComboBox* list, const std::vector<std::string>& items) {
    QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& item : items) list->addItem(ToQt(item));
    // Qt makes the first item of a list filled from empty the current one.
    list->setCurrentIndex(-1);
}

int16_t ListChoice(const QComboBox* list) { return static_cast<int16_t>(list->currentIndex() + 1); }

std::string ListText(const QComboBox* list) {
    return list->currentIndex() < 0 ? std::string() : FromQt(list->currentText());
}

void ShowFlags(const std::vector<FlagBox>& boxes, int64_t value) {
    for (const FlagBox& f : boxes) f.box->setChecked((value & f.weight) != 0);
}

int64_t FlagsValue(const std::vector<FlagBox>& boxes, int64_t stored, int64_t keep) {
    int64_t value = stored & keep;
    for (const FlagBox& f : boxes)
        if (f.box->isChecked()) value |= f.weight;
    return value;
}

int LetterWeight(char letter) { return letter >= 'A' && letter <= 'H' ? 128 >> (letter - 'A') : 0; }

int IndexWeight(int index) { return index >= 0 && index < 8 ? 128 >> index : 0; }

std::vector<FlagBox> ArrayFlags(QCheckBox* const* boxes, int count) {
    std::vector<FlagBox> out;
    for (int i = 0; i < count; ++i) out.push_back({boxes[i], IndexWeight(i)});
    return out;
}

std::vector<FlagBox> Letters(const std::vector<QCheckBox*>& boxes, const char* letters) {
    std::vector<FlagBox> out;
    for (size_t i = 0; i < boxes.size() && letters[i] != '\0'; ++i) out.push_back({boxes[i], LetterWeight(letters[i])});
    return out;
}

MaskBox::MaskBox(QWidget* parent, const QString& name, const std::string& mask) : QLineEdit(parent) {
    setObjectName(name);
    QString qtMask;
    for (char c : mask) {
        if (c == '#')
            qtMask += '0';  // a digit, not required
        else
            qtMask += QString("\\") + QChar(c);
    }
    setInputMask(qtMask + ";_");
    // As wide as its mask.
    setMaximumWidth(fontMetrics().horizontalAdvance(QString::fromLatin1(mask.c_str())) + 24);
}

std::string MaskBox::MaskText() const {
    if (!shown_.empty() && displayText() == asMasked_) return shown_;
    return FromQt(displayText());
}

void MaskBox::ShowMask(const std::string& text) {
    shown_.clear();
    if (text.empty()) {
        clear();
        return;
    }
    // A place that holds no digit stays empty on screen.
    setText(ToQt(text));
    shown_ = text;
    asMasked_ = displayText();
}

namespace {

std::string refused_;              // the field Refuse noted
QPointer<QWidget> refusedControl_;  // and its box

}  // namespace

bool Refuse(const QWidget* control) { return RefuseAs(FieldCaption(control), control); }

bool RefuseAs(const std::string& name, const QWidget* control) {
    if (refused_.empty()) {
        refused_ = name;
        refusedControl_ = const_cast<QWidget*>(control);
    }
    return false;
}

Refusal TakeRefusal() {
    Refusal r;
    r.name.swap(refused_);
    r.control = refusedControl_.data();
    refusedControl_.clear();
    return r;
}

std::string TakeRefused() { return TakeRefusal().name; }

void SetCaption(QWidget* control, const std::string& section, const std::string& key) {
    SetCtlCaption(control, GetText(section, key));
}

void NumberedTexts(QWidget* window, const std::string& section) {
    window->setWindowTitle(ToQt(GetText("Caption", section)));
    const struct {
        const char* name;
        const char* key;
    } buttons[] = {{"cmdLoad", "2"}, {"cmdSave", "3"}, {"cmdSend", "4"}};
    for (const auto& b : buttons)
        if (auto* button = window->findChild<QPushButton*>(b.name)) SetCaption(button, "Comandi", b.key);
}

void WindowNameTexts(QWidget* window, const std::string& name) {
    window->setWindowTitle(ToQt(GetText(name, name)));
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const std::string key = control->objectName().toStdString();
        if (key.empty() || key.rfind("qt_", 0) == 0) continue;  // Qt's own parts
        const QString text = ToQt(GetText(name, key));
        if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        else if (auto* frame = qobject_cast<QGroupBox*>(control))
            frame->setTitle(text);
    }
}
