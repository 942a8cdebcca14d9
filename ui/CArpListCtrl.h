#pragma once

#include "arp/ListText.h"

#include <QHash>
#include <QTableWidget>

#include <vector>

class QMenu;

// The neighbour list: five columns, lines in insertion order, and its own
// right-click menu with Save.
class CArpListCtrl : public QTableWidget, public ITextTable
{
    Q_OBJECT
public:
    static constexpr int ID_LIST_SAVE = 32773;
    static constexpr int ID_LIST_CLEAR_MARK = 32775;

    explicit CArpListCtrl(QWidget* parent = nullptr);

    // Headings and widths of the five columns. The widths are for the
    // template's 8-point font; scale stretches them for the font in use.
    void SetUpColumns(double scale = 1.0);

    void DeleteAllItems();
    void InsertItem(int index, const QString& text);
    void SetItemText(int index, int column, const QString& text);
    QString GetItemText(int index, int column) const;

    // The whole list becomes lines (five texts each) in one change; the
    // selected address, the current column and the scroll position stay.
    void ReplaceRows(const QList<QStringList>& lines);
    // Every line of ipText shows name as its DNS name.
    void SetDnsName(const QString& ipText, const QString& name);

    // As the export reads it: the rows the filter shows, in the list's order.
    int RowCount() const override { return static_cast<int>(m_shown.size()); }
    int ColumnCount() const override { return columnCount(); }
    std::string CellText(int row, int column) const override;
    std::string HeadingText(int column) const override;

    // Shows only the rows holding text in any column, case-insensitive; an
    // empty text shows them all. It holds across passes.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_strFilter; }

    // Asks for a file and writes the list there. False only when the file
    // could not be written; true after a save and after a cancel.
    static bool SaveListToFile(CArpListCtrl* list);
    static QString ListToText(const CArpListCtrl* list);

    void OnRclick(const QPoint& globalPos);
    void OnSave();

    // The user's order: a column and its direction; -1 while the list keeps
    // the table's order.
    int SortColumn() const { return m_iSortColumn; }
    void OnHeaderClicked(int column);

    // The current line's five cells, tab-separated, with a line end.
    QString CurrentLineText() const;

    // Lines of ipText are drawn highlighted from now on (red for the
    // gateway, amber otherwise), with tip as their tooltip; it survives passes.
    void MarkChanged(const QString& ipText, bool gateway, const QString& tip);
    bool IsMarked(int row) const;
    bool HasMarks() const { return !m_marks.isEmpty(); }
    void ClearMark(const QString& ipText);

signals:
    // A refresh pass's changes have all been applied.
    void PassApplied(int result);
    // The rows shown and all rows, after each change of either.
    void FilterApplied(int shown, int total);
    // A line was marked, or a mark cleared.
    void MarksChanged(bool any);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QTableWidgetItem* MakeItem(int column, const QString& text) const;
    void ApplySort();
    void FitColumns();
    QPoint PopupPosition() const;
    void ApplyMarks();
    void ApplyFilter();

    struct Mark
    {
        bool gateway;
        QString tip;
    };
    QHash<QString, Mark> m_marks;

    int m_iSortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QList<int> m_defaultWidths;
    QString m_strFilter;
    std::vector<int> m_shown; // rows the filter shows, in the list's order
};
