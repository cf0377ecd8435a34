#include "remote_list_view.h"

#include <commctrl.h>

#include "win/scoped_handle.h"

using namespace quibo;

namespace host {

namespace {

constexpr int kTextSize = 1024;

// Memory in another process, freed again at the end.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process),
          address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteBlock()
    {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* Address() const { return static_cast<char*>(address_); }

private:
    HANDLE process_;
    void* address_;
};

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::vector<std::string>> ReadListRows(HWND list)
{
    std::vector<std::vector<std::string>> rows;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    UniqueHandle owner(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!owner) return rows;
    HANDLE process = owner.Get();
    RemoteBlock block(process, sizeof(LVITEMA) + kTextSize);
    if (!block.Address()) return rows;
    HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER, 0, 0));
    LRESULT columns = header ? Ask(header, HDM_GETITEMCOUNT, 0, 0) : 1;
    LRESULT count = Ask(list, LVM_GETITEMCOUNT, 0, 0);
    char* remoteText = block.Address() + sizeof(LVITEMA);
    for (LRESULT row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (LRESULT column = 0; column < (columns > 0 ? columns : 1); ++column) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iSubItem = static_cast<int>(column);
            item.pszText = remoteText;
            item.cchTextMax = kTextSize;
            char text[kTextSize] = {};
            SIZE_T moved = 0;
            if (!::WriteProcessMemory(process, block.Address(), &item, sizeof item, &moved) ||
                Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(block.Address())) < 0 ||
                !::ReadProcessMemory(process, remoteText, text, sizeof text - 1, &moved))
                text[0] = '\0';
            cells.push_back(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace host
