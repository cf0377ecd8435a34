#include "ui/progress_list.h"

#include <algorithm>

namespace quibo {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kMaxRowHeight = 1024;

}  // namespace

CProgressListCtrl::CProgressListCtrl() : colors_(ListColors::FromSystem()) {}

CProgressListCtrl::~CProgressListCtrl()
{
    if (window_) Detach();
}

UINT CProgressListCtrl::CheckboxClickedMessage()
{
    static const UINT message = ::RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED");
    return message;
}

bool CProgressListCtrl::Attach(HWND list)
{
    if (window_ || !::IsWindow(list)) return false;
    if (!::SetWindowSubclass(list, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = list;
    // The row-height image list belongs to this object, not to the list.
    ::SetWindowLongPtrA(list, GWL_STYLE, ::GetWindowLongPtrA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    colors_ = ListColors::FromSystem();
    return true;
}

void CProgressListCtrl::Detach()
{
    // Taken back before either side can destroy it: only rowHeight_ frees it.
    if (rowHeight_ && reinterpret_cast<HIMAGELIST>(
                          ::SendMessageA(window_, LVM_GETIMAGELIST, LVSIL_SMALL, 0)) == rowHeight_.Get())
        ::SendMessageA(window_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    ::RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
    window_ = nullptr;
}

LRESULT CALLBACK CProgressListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR, DWORD_PTR self)
{
    if (message != WM_NCDESTROY) return ::DefSubclassProc(window, message, wParam, lParam);
    CProgressListCtrl* list = reinterpret_cast<CProgressListCtrl*>(self);
    list->Detach();
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    list->rows_.clear();  // the rows are gone with the window
    return result;
}

bool CProgressListCtrl::InsertColumn(int column, const std::string& title, int width)
{
    if (!window_) return false;
    LVCOLUMNA format = {};
    format.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    format.fmt = LVCFMT_CENTER;
    format.cx = width;
    format.pszText = const_cast<char*>(title.c_str());
    format.iSubItem = column;
    return ::SendMessageA(window_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&format)) == column;
}

void CProgressListCtrl::SetRowHeight(int pixels)
{
    if (!window_ || pixels <= 0) return;
    UniqueImageList images(::ImageList_Create(1, std::min(pixels, kMaxRowHeight), ILC_COLOR, 1, 1));
    if (!images) return;
    ::SendMessageA(window_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.Get()));
    rowHeight_ = std::move(images);  // the one the list held before is freed here
}

int CProgressListCtrl::RowCount() const
{
    return window_ ? static_cast<int>(::SendMessageA(window_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CProgressListCtrl::ColumnCount() const
{
    if (!window_) return 0;
    HWND header = reinterpret_cast<HWND>(::SendMessageA(window_, LVM_GETHEADER, 0, 0));
    return header ? std::max(static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)), 0) : 0;
}

ListCell CProgressListCtrl::DefaultCell() const
{
    ListCell cell;
    cell.textColor = colors_.text;
    cell.backColor = colors_.back;
    return cell;
}

int CProgressListCtrl::InsertItem(int row, const std::string& text)
{
    if (!window_ || row < 0) return -1;
    auto record = std::make_unique<Row>();
    record->cells.assign(static_cast<size_t>(std::max(ColumnCount(), 1)), DefaultCell());
    const Row* key = record.get();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;  // past the end: the list appends
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = reinterpret_cast<LPARAM>(key);
    rows_.emplace(key, std::move(record));
    const int index =
        static_cast<int>(::SendMessageA(window_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) rows_.erase(key);
    return index;
}

CProgressListCtrl::Row* CProgressListCtrl::RowOf(LPARAM data) const
{
    // Only records of this object are trusted: item data set by anyone else
    // is never followed.
    const auto found = rows_.find(reinterpret_cast<const Row*>(data));
    return found == rows_.end() ? nullptr : found->second.get();
}

CProgressListCtrl::Row* CProgressListCtrl::RowAt(int row) const
{
    if (!window_ || row < 0 || row >= RowCount()) return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!::SendMessageA(window_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return RowOf(item.lParam);
}

const ListCell* CProgressListCtrl::Cell(int row, int column) const
{
    const Row* record = RowAt(row);
    if (!record || column < 0 || column >= ColumnCount() ||
        static_cast<size_t>(column) >= record->cells.size())
        return nullptr;
    return &record->cells[static_cast<size_t>(column)];
}

ListCell* CProgressListCtrl::CellAt(int row, int column)
{
    Row* record = RowAt(row);
    if (!record || column < 0 || column >= ColumnCount()) return nullptr;
    // A column added after the row was inserted gets its record now.
    if (static_cast<size_t>(column) >= record->cells.size())
        record->cells.resize(static_cast<size_t>(column) + 1, DefaultCell());
    return &record->cells[static_cast<size_t>(column)];
}

bool CProgressListCtrl::SetItemText(int row, int column, const std::string& text)
{
    if (!window_ || row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    return ::SendMessageA(window_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool CProgressListCtrl::MakeProgressCell(int row, int column, bool showText, const std::string& format)
{
    ListCell* cell = CellAt(row, column);
    if (!cell) return false;
    cell->progress = true;
    cell->progressValue = 0;
    cell->progressText = showText;
    cell->progressFormat = format;
    RedrawCell(row, column);
    return true;
}

bool CProgressListCtrl::SetProgressValue(int row, int column, int percent)
{
    if (percent < 0 || percent > 100) return false;
    ListCell* cell = CellAt(row, column);
    if (!cell) return false;
    if (cell->progressValue != percent) {
        cell->progressValue = percent;
        RedrawCell(row, column);
    }
    return true;
}

bool CProgressListCtrl::SetCellCheck(int row, int column, int state)
{
    if (state < -1 || state > 1) return false;
    ListCell* cell = CellAt(row, column);
    if (!cell) return false;
    cell->check = state;
    RedrawCell(row, column);
    return true;
}

RECT CProgressListCtrl::CellRect(int row, int column) const
{
    RECT box = {};
    box.top = column;
    box.left = LVIR_BOUNDS;
    if (!::SendMessageA(window_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&box)))
        return RECT{};
    // The bounds of column 0 are those of the whole row.
    if (column == 0)
        box.right = box.left + static_cast<int>(::SendMessageA(window_, LVM_GETCOLUMNWIDTH, 0, 0));
    return box;
}

std::string CProgressListCtrl::CellText(int row, int column) const
{
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(window_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(text);
}

void CProgressListCtrl::RedrawCell(int row, int column)
{
    const RECT box = CellRect(row, column);
    if (!::IsRectEmpty(&box)) ::InvalidateRect(window_, &box, FALSE);
}

LRESULT CProgressListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: break;
    default: return CDRF_DODEFAULT;
    }
    const Row* record = RowOf(draw.nmcd.lItemlParam);
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    const int column = draw.iSubItem;
    if (!record || column < 0 || static_cast<size_t>(column) >= record->cells.size()) return CDRF_DODEFAULT;
    const ListCell& cell = record->cells[static_cast<size_t>(column)];
    if (cell.progress) {
        DrawProgressCell(draw.nmcd.hdc, CellRect(row, column), cell, colors_);
        return CDRF_SKIPDEFAULT;
    }
    if (cell.check >= 0) {
        DrawCheckCell(draw.nmcd.hdc, CellRect(row, column), cell, CellText(row, column));
        return CDRF_SKIPDEFAULT;
    }
    draw.clrText = cell.textColor;
    draw.clrTextBk = cell.backColor;
    return CDRF_DODEFAULT;
}

bool CProgressListCtrl::OnClick(const NMITEMACTIVATE& click, LRESULT& result)
{
    LVHITTESTINFO hit = {};
    hit.pt = click.ptAction;
    ::SendMessageA(window_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    ListCell* cell = CellAt(hit.iItem, hit.iSubItem);
    if (!cell || cell->check < 0) return false;
    cell->check = cell->check == 1 ? 0 : 1;
    cell->modified = true;
    RedrawCell(hit.iItem, hit.iSubItem);
    ::SendMessageA(::GetParent(window_), CheckboxClickedMessage(), static_cast<WPARAM>(hit.iItem),
                   static_cast<LPARAM>(hit.iSubItem));
    result = 0;
    return true;
}

bool CProgressListCtrl::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (!window_ || header.hwndFrom != window_) return false;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        // The list reads back the colours written into its structure.
        result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        return true;
    case LVN_DELETEITEM:
        rows_.erase(reinterpret_cast<const Row*>(reinterpret_cast<const NMLISTVIEW&>(header).lParam));
        result = 0;
        return true;
    case LVN_DELETEALLITEMS:
        result = FALSE;  // one LVN_DELETEITEM per row, so every record goes
        return true;
    case NM_CLICK: return OnClick(reinterpret_cast<const NMITEMACTIVATE&>(header), result);
    default: return false;
    }
}

void CProgressListCtrl::OnSysColorChange()
{
    const ListColors old = colors_;
    colors_ = ListColors::FromSystem();
    // Cells still in the default colours follow the system.
    for (auto& entry : rows_) {
        for (ListCell& cell : entry.second->cells) {
            if (cell.textColor == old.text) cell.textColor = colors_.text;
            if (cell.backColor == old.back) cell.backColor = colors_.back;
        }
    }
    if (window_) ::InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace quibo
