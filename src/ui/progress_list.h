// The report-style list of the start and download pages: rows of file names
// whose cells can be progress bars or check boxes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/list_cell.h"
#include "win/gdi_objects.h"

namespace quibo {

class CProgressListCtrl {
public:
    CProgressListCtrl();
    ~CProgressListCtrl();
    CProgressListCtrl(const CProgressListCtrl&) = delete;
    CProgressListCtrl& operator=(const CProgressListCtrl&) = delete;

    // The registered message a check-box click sends to the list's parent
    // (wParam row, lParam column).
    static UINT CheckboxClickedMessage();

    bool Attach(HWND list);
    HWND Window() const { return window_; }
    // A column of `width` pixels with its title, centred, at `column`.
    bool InsertColumn(int column, const std::string& title, int width);
    // Rows this tall: a 1 x `pixels` image list owned by this object.
    void SetRowHeight(int pixels);
    // A row with the default colours; its index, or -1.
    int InsertItem(int row, const std::string& text);
    bool SetItemText(int row, int column, const std::string& text);
    // Turns the cell into a progress bar at 0.
    bool MakeProgressCell(int row, int column, bool showText, const std::string& format = "");
    // Only 0 to 100 is accepted.
    bool SetProgressValue(int row, int column, int percent);
    // -1 no check box, 0 unchecked, 1 checked.
    bool SetCellCheck(int row, int column, int state);
    int RowCount() const;
    int ColumnCount() const;
    // The cell's record; null out of range or for a row this object did not insert.
    const ListCell* Cell(int row, int column) const;
    // Rows whose records this object holds.
    size_t RecordCount() const { return rows_.size(); }

    // Every WM_NOTIFY from this list goes here; true when handled, with the
    // dialog result (DWLP_MSGRESULT) in `result`.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    void OnSysColorChange();

private:
    struct Row {
        std::vector<ListCell> cells;
    };

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void Detach();
    Row* RowOf(LPARAM data) const;
    Row* RowAt(int row) const;
    ListCell* CellAt(int row, int column);
    ListCell DefaultCell() const;
    RECT CellRect(int row, int column) const;
    std::string CellText(int row, int column) const;
    void RedrawCell(int row, int column);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    bool OnClick(const NMITEMACTIVATE& click, LRESULT& result);

    HWND window_ = nullptr;
    ListColors colors_;
    UniqueImageList rowHeight_;
    // Each row's item data points at its record, held here: a record goes
    // when its row is deleted, and any left with this object.
    std::unordered_map<const Row*, std::unique_ptr<Row>> rows_;
};

}  // namespace quibo
