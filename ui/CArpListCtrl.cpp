#include "ui/CArpListCtrl.h"

#include "arp/ColumnWidths.h"
#include "ui/CArpListItem.h"
#include "ui/Prompts.h"
#include "platform/AtomicFile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>

CArpListCtrl::CArpListCtrl(QWidget* parent) : QTableWidget(parent)
{
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    // Tab leaves the list instead of walking its cells.
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CArpListCtrl::OnHeaderClicked);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
}

void CArpListCtrl::SetUpColumns(double scale)
{
    static const struct
    {
        const char* heading;
        int width;
    } columns[] = {
        {"IP address", 110}, {"DNS Name", 150}, {"MAC Address", 110}, {"Producer", 180}, {"Type", 60}};
    setColumnCount(5);
    for (int i = 0; i < 5; ++i) {
        setHorizontalHeaderItem(i, new QTableWidgetItem(QString::fromLatin1(columns[i].heading)));
        setColumnWidth(i, static_cast<int>(columns[i].width * scale + 0.5));
    }
    m_defaultWidths.clear();
    for (int i = 0; i < 5; ++i)
        m_defaultWidths.push_back(columnWidth(i));
    FitColumns();
}

QTableWidgetItem* CArpListCtrl::MakeItem(int column, const QString& text) const
{
    return column == 0 ? new CArpListItem(text) : new QTableWidgetItem(text);
}

void CArpListCtrl::OnHeaderClicked(int column)
{
    // A second click on the same heading reverses the order.
    m_sortOrder = (column == m_iSortColumn && m_sortOrder == Qt::AscendingOrder) ? Qt::DescendingOrder
                                                                                 : Qt::AscendingOrder;
    m_iSortColumn = column;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_sortOrder);
    ApplySort();
}

void CArpListCtrl::ApplySort()
{
    if (m_iSortColumn >= 0)
        sortItems(m_iSortColumn, m_sortOrder);
    ApplyFilter();
}

void CArpListCtrl::SetFilter(const QString& text)
{
    m_strFilter = text;
    ApplyFilter();
}

void CArpListCtrl::ApplyFilter()
{
    m_shown.clear();
    m_shown.reserve(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row) {
        bool match = m_strFilter.isEmpty();
        for (int column = 0; column < columnCount() && !match; ++column)
            match = GetItemText(row, column).contains(m_strFilter, Qt::CaseInsensitive);
        if (isRowHidden(row) == match)
            setRowHidden(row, !match);
        if (match)
            m_shown.push_back(row);
    }
    emit FilterApplied(static_cast<int>(m_shown.size()), rowCount());
}

void CArpListCtrl::FitColumns()
{
    if (m_defaultWidths.size() != columnCount() || !isVisible())
        return;
    qv::ColumnWidths defaults{};
    std::copy(m_defaultWidths.begin(), m_defaultWidths.end(), defaults.begin());
    const qv::ColumnWidths widths = qv::FitColumnWidths(defaults, viewport()->width());
    setColumnWidth(1, widths[1]);
    setColumnWidth(3, widths[3]);
}

void CArpListCtrl::MarkChanged(const QString& ipText, bool gateway, const QString& tip)
{
    Mark& mark = m_marks[ipText];
    mark.gateway = mark.gateway || gateway;
    mark.tip = tip;
    ApplyMarks();
    emit MarksChanged(true);
}

bool CArpListCtrl::IsMarked(int row) const
{
    return m_marks.contains(GetItemText(row, 0));
}

void CArpListCtrl::ClearMark(const QString& ipText)
{
    if (!m_marks.remove(ipText))
        return;
    for (int row = 0; row < rowCount(); ++row)
        if (GetItemText(row, 0) == ipText)
            for (int column = 0; column < columnCount(); ++column)
                if (QTableWidgetItem* cell = item(row, column)) {
                    cell->setData(Qt::BackgroundRole, QVariant());
                    cell->setData(Qt::ToolTipRole, QVariant());
                }
    emit MarksChanged(!m_marks.isEmpty());
}

void CArpListCtrl::ApplyMarks()
{
    static const QColor amber(255, 214, 102);
    static const QColor red(255, 138, 128);
    if (m_marks.isEmpty())
        return; // marks are never taken back: no line has one
    for (int row = 0; row < rowCount(); ++row) {
        const auto mark = m_marks.constFind(GetItemText(row, 0));
        for (int column = 0; column < columnCount(); ++column) {
            QTableWidgetItem* cell = item(row, column);
            if (cell == nullptr)
                continue;
            if (mark == m_marks.constEnd()) {
                cell->setData(Qt::BackgroundRole, QVariant());
                cell->setData(Qt::ToolTipRole, QVariant());
            } else {
                cell->setBackground(mark->gateway ? red : amber);
                cell->setToolTip(mark->tip);
            }
        }
    }
}

QString CArpListCtrl::CurrentLineText() const
{
    const int row = currentRow();
    if (row < 0)
        return QString();
    QStringList cells;
    for (int column = 0; column < columnCount(); ++column)
        cells.push_back(GetItemText(row, column));
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QPoint CArpListCtrl::PopupPosition() const
{
    const QModelIndex current = currentIndex();
    const QRect cell = current.isValid() ? visualRect(current) : QRect();
    return viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0));
}

void CArpListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        const QString line = CurrentLineText();
        if (!line.isEmpty())
            QGuiApplication::clipboard()->setText(line);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        OnRclick(PopupPosition());
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

bool CArpListCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        const bool handled = QTableWidget::viewportEvent(event);
        FitColumns();
        return handled;
    }
    if (event->type() == QEvent::ToolTip) {
        // Only a cell whose text is cut off shows it whole.
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        QString text = index.data().toString();
        const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
        const bool cut =
            index.isValid() && fontMetrics().horizontalAdvance(text) + margin > visualRect(index).width();
        // A changed address's line tells what it was before.
        const QString change = index.data(Qt::ToolTipRole).toString();
        if (!change.isEmpty())
            text = cut ? text + QLatin1Char('\n') + change : change;
        if (cut || !change.isEmpty())
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QTableWidget::viewportEvent(event);
}

void CArpListCtrl::DeleteAllItems()
{
    setRowCount(0);
    ApplyFilter();
}

void CArpListCtrl::InsertItem(int index, const QString& text)
{
    insertRow(index);
    for (int column = 0; column < columnCount(); ++column)
        setItem(index, column, MakeItem(column, column == 0 ? text : QString()));
    if (m_strFilter.isEmpty() && index == rowCount() - 1)
        m_shown.push_back(index); // appended and shown: no need to look at the others
    else
        ApplyFilter();
}

void CArpListCtrl::SetItemText(int index, int column, const QString& text)
{
    if (QTableWidgetItem* cell = item(index, column))
        cell->setText(text);
    if (!m_strFilter.isEmpty())
        ApplyFilter();
}

void CArpListCtrl::ReplaceRows(const QList<QStringList>& lines)
{
    const int current = currentRow();
    const QString selectedIp = current >= 0 ? GetItemText(current, 0) : QString();
    const int column = currentColumn();
    const int scrolledTo = verticalScrollBar()->value();
    const int scrolledAcross = horizontalScrollBar()->value();

    setUpdatesEnabled(false);
    const int count = static_cast<int>(lines.size());
    setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const QStringList& line = lines[row];
        for (int c = 0; c < columnCount(); ++c) {
            const QString text = c < line.size() ? line[c] : QString();
            if (QTableWidgetItem* cell = item(row, c))
                cell->setText(text);
            else
                setItem(row, c, MakeItem(c, text));
        }
    }
    // The user's order holds across passes; equal keys keep the table's.
    if (m_iSortColumn < 0)
        ApplyFilter();
    ApplySort();
    ApplyMarks();
    int reselect = -1;
    if (!selectedIp.isEmpty())
        for (int row = 0; row < count && reselect < 0; ++row)
            if (GetItemText(row, 0) == selectedIp)
                reselect = row;
    if (reselect >= 0) {
        setCurrentCell(reselect, column >= 0 ? column : 0);
    } else if (current >= 0) {
        clearSelection();
        setCurrentIndex(QModelIndex());
    }
    verticalScrollBar()->setValue(scrolledTo);
    horizontalScrollBar()->setValue(scrolledAcross);
    setUpdatesEnabled(true);
}

void CArpListCtrl::SetDnsName(const QString& ipText, const QString& name)
{
    bool changed = false;
    for (int row = 0; row < rowCount(); ++row)
        if (GetItemText(row, 0) == ipText && GetItemText(row, 1) != name) {
            // The cell itself: the filter runs once below, not once a line.
            item(row, 1)->setText(name);
            changed = true;
        }
    if (changed && m_iSortColumn == 1)
        ApplySort();
    else if (changed && !m_strFilter.isEmpty())
        ApplyFilter();
}

QString CArpListCtrl::GetItemText(int index, int column) const
{
    const QTableWidgetItem* cell = item(index, column);
    return cell ? cell->text() : QString();
}

std::string CArpListCtrl::CellText(int row, int column) const
{
    return GetItemText(m_shown[static_cast<std::size_t>(row)], column).toStdString();
}

std::string CArpListCtrl::HeadingText(int column) const
{
    const QTableWidgetItem* heading = horizontalHeaderItem(column);
    return heading ? heading->text().toStdString() : std::string();
}

QString CArpListCtrl::ListToText(const CArpListCtrl* list)
{
    return QString::fromStdString(qv::ListToText(*list));
}

void CArpListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    OnRclick(event->reason() == QContextMenuEvent::Keyboard ? PopupPosition() : event->globalPos());
    event->accept();
}

void CArpListCtrl::OnRclick(const QPoint& globalPos)
{
    // One menu for one popup; it deletes itself when it closes.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* save = menu->addAction(QStringLiteral("保存"));
    save->setData(ID_LIST_SAVE);
    connect(save, &QAction::triggered, this, &CArpListCtrl::OnSave);
    // The line under the pointer, or the current one from the keyboard.
    const QPoint at = viewport()->mapFromGlobal(globalPos);
    const int row = viewport()->rect().contains(at) && rowAt(at.y()) >= 0 ? rowAt(at.y()) : currentRow();
    if (row >= 0 && IsMarked(row)) {
        QAction* clear = menu->addAction(QStringLiteral("清除标记"));
        clear->setData(ID_LIST_CLEAR_MARK);
        connect(clear, &QAction::triggered, this, [this, ip = GetItemText(row, 0)] { ClearMark(ip); });
    }
    menu->popup(globalPos);
}

void CArpListCtrl::OnSave()
{
    SaveListToFile(this);
}

bool CArpListCtrl::SaveListToFile(CArpListCtrl* list)
{
    qv::Prompts& prompts = qv::ActivePrompts();
    const QString savedDirectory = QDir::currentPath();
    struct Restore
    {
        QString directory;
        ~Restore() { QDir::setCurrent(directory); }
    } restore{savedDirectory};

    // The first type is the one the list was always saved as.
    static const struct
    {
        const char* filter;
        const char* extension;
        std::string (*write)(const ITextTable&);
    } kTypes[] = {{"Text Files (*.txt)", "txt", &qv::ListToText},
                  {"TSV (*.tsv)", "tsv", &qv::ListToTsv},
                  {"CSV (*.csv)", "csv", &qv::ListToCsv}};
    QStringList filters;
    for (const auto& type : kTypes)
        filters << QString::fromLatin1(type.filter);
    QString selected = filters.front();
    QString path = prompts.chooseSavePath(list->window(), filters.join(QStringLiteral(";;")), &selected);
    if (path.isEmpty())
        return true;
    std::size_t chosen = std::max<qsizetype>(0, filters.indexOf(selected));
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    // A typed .tsv or .csv says the type whatever filter is left chosen.
    const QString typed = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    for (std::size_t i = 1; i < std::size(kTypes); ++i)
        if (typed == QLatin1String(kTypes[i].extension))
            chosen = i;
    if (dot < 0 || dot == name.size() - 1) {
        path += QLatin1Char('.') + QLatin1String(kTypes[chosen].extension);
        // The dialog only asked about the name as typed.
        if (QFileInfo::exists(path) &&
            !prompts.confirm(
                list->window(), QStringLiteral("Quorvane"),
                QStringLiteral("文件“%1”已存在。要替换它吗？").arg(QDir::toNativeSeparators(path))))
            return true;
    }
    const std::string text = kTypes[chosen].write(*list);

    // Written beside the target and renamed over it once every byte is on
    // disk, so a failed write leaves any old file as it was.
    std::string reason;
    if (qv::WriteFileAtomically(QFile::encodeName(path).toStdString(), text, reason))
        return true;
    prompts.showError(list->window(), QStringLiteral("Quorvane"),
                      QStringLiteral("无法保存文件“%1”：%2")
                          .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(reason.c_str())));
    return false;
}
