// A crash journal as found on disk at start-up: whatever its bytes, parsing
// never fails unsafely, a readable journal renders back to the same records,
// the lines it keeps read alone as the same journal, and its recovery plan
// only names paths, programs and closing entries the records name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "core/install/install_journal.h"
#include "core/install/install_names.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    ParsedJournal parsed = ParseJournal(text);
    if (!parsed.ok) {
        if (parsed.error.empty()) std::abort();
        return 0;
    }

    // The complete lines kept are a journal of their own: appends go after them.
    if (parsed.validLength > text.size()) std::abort();
    ParsedJournal kept = ParseJournal(text.substr(0, parsed.validLength));
    if (!kept.ok || kept.droppedLines != 0 || kept.records.size() != parsed.records.size()) std::abort();

    std::string rendered = JournalHeader();
    for (const JournalRecord& r : parsed.records) rendered += JournalLine(r);
    ParsedJournal again = ParseJournal(rendered);
    if (!again.ok || again.records.size() != parsed.records.size()) std::abort();
    for (size_t i = 0; i < parsed.records.size(); ++i)
        if (again.records[i].tag != parsed.records[i].tag || again.records[i].path != parsed.records[i].path ||
            again.records[i].version != parsed.records[i].version)
            std::abort();

    std::set<std::string> named;
    for (const JournalRecord& r : parsed.records) {
        named.insert(r.path);
        named.insert(BackupPath(r.path));
        named.insert(CopyTempPath(r.path));
        named.insert(CopyTempPath(BackupPath(r.path)));
    }
    RecoveryPlan plan = PlanRecovery(parsed.records);
    for (const auto* list : {&plan.deleteTemporary, &plan.deleteWritten, &plan.restoreBackups, &plan.restoreEmpty,
                             &plan.deleteBackups, &plan.removeFolders})
        for (const std::string& path : *list)
            if (path.empty() || !named.count(path)) std::abort();
    const RecoveryClosing& closing = plan.closing;
    const std::vector<std::string>& readOnly = plan.readOnly;
    for (const auto* list : {&readOnly, &closing.byExecutable, &closing.byTitle, &closing.byClass,
                             &closing.heldTargets})
        for (const std::string& entry : *list)
            if (entry.empty() || !named.count(entry)) std::abort();
    // Only a finished run's programs are started.
    if (!plan.finish && !plan.programs.empty()) std::abort();
    for (const PendingProgram& program : plan.programs)
        if (!named.count(program.command)) std::abort();
    return 0;
}
