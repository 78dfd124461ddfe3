#pragma once
// The list window: a table of texts in columns, shown modally by its
// caller; the row picked with OK or a double click is its result.
#include <QDialog>
#include <string>

class QPushButton;
class QTreeWidget;

class frmList : public QDialog {
    Q_OBJECT
public:
    // The one list window, created on first use.
    static frmList* Instance();
    // Unloads the one list window when it exists (its caller's editor closes).
    static void Unload();
    static bool Exists();

    // Removes every column and row.
    void ClearList();
    // Adds a column whose width is the list's width times share, less 450
    // twips (never below a few pixels).
    void AddColumn(const std::string& caption, float share);
    // Puts a text into a cell, adding rows as needed.
    void SetList(int row, int column, const std::string& text);
    // The text of a cell ("" outside the table).
    std::string List(int row, int column) const;
    int Rows() const;
    // The window's caption (Windows-1252).
    void SetCaption(const std::string& caption);

    // Shows the window modally; the picked row (from 0), or -1 after Cancel
    // or when nothing was picked.
    int ShowModal();
    int Selected() const { return selected_; }

    QTreeWidget* lvwList = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdOk_Click();
    void cmdCancel_Click();

private:
    explicit frmList(QWidget* parent = nullptr);
    int selected_ = -1;
};
