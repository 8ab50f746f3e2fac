#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <QTableView>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CArchivNavigator;

namespace charts {

// One row of the value list: its index and its texts (the time, then the
// checked quantities in column order).
struct CValueRow {
    std::uint32_t index = 0;
    QStringList texts;
};

// The rows read last, at most 100: a new row replaces the earliest inserted.
class CValueRowCache {
public:
    static constexpr int kSlots = 100;

    void Reset(int columnCount);
    const CValueRow* Find(std::uint32_t index) const;
    void Insert(std::uint32_t index, const QStringList& texts);
    int ColumnCount() const { return m_columns; }
    int NextSlot() const { return m_next; }

private:
    std::array<std::optional<CValueRow>, kSlots> m_slots;
    int m_next = 0;
    int m_columns = 0;
};

// Where the list's rows come from: the family store's row-block reader.
struct CValueRowSource {
    // Up to 10 rows from 3 before `start`: their texts, how many and the
    // index of the first.
    std::function<std::vector<QStringList>(int start, int& count, int& first)> rows;
};

// The table behind the list: items are nothing but their index; texts are
// read in blocks when a row is shown and kept in the cache.
class CArchiveValueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCacheBlock = 10;

    explicit CArchiveValueModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // New columns and rows; the cache is emptied. A wait dialog shows the
    // progress over `progressOwner` when one is given.
    void Rebuild(const QStringList& captions, int rowCount, CValueRowSource source, QWidget* progressOwner = nullptr);
    // The texts of a row, read with its block when missing; null when the
    // store cannot supply it.
    const CValueRow* GetRowTexts(int row);
    const CValueRowCache& Cache() const { return m_cache; }
    int BlockReads() const { return m_blockReads; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Even rows white, odd rows light yellow (0xDFFFFF).
    static QColor RowColour(int row);

private:
    QStringList m_captions;
    int m_rows = 0;
    CValueRowSource m_source;
    CValueRowCache m_cache;
    int m_blockReads = 0;
};

// The value list of an archive view: the records of the window, one row
// each. While the view sets its time limits (ready 0) the list is disabled
// and shows "Nastavuje se čas.".
class CArchiveValueList : public QTableView {
    Q_OBJECT
public:
    explicit CArchiveValueList(QWidget* parent = nullptr);

    void SetReady(int ready);
    int IsReady() const { return m_ready; }
    CArchiveValueModel& Model() { return m_model; }

    // The document's window, whose current record follows the selected row,
    // and its check for a changed file (non-zero: it was read again and the
    // row no longer means what it did).
    void SetNavigator(CArchivNavigator* navigator) { m_navigator = navigator; }
    void SetReloadCheck(std::function<int()> check) { m_reloadCheck = std::move(check); }

signals:
    // The current record moved: the view redraws its graph at the cursor.
    void graphChanged();
    // A right click: the view closes its quantities dialog.
    void quantitiesClosed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    bool Reloaded() const { return m_reloadCheck && m_reloadCheck() != 0; }

    CArchiveValueModel m_model;
    int m_ready = 1;
    CArchivNavigator* m_navigator = nullptr;
    std::function<int()> m_reloadCheck;
};

} // namespace charts
