#include "history/git_history.h"

#include <git2.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "history/git_support.h"
#include "history/history_folder.h"
#include "history/last_records.h"

namespace dezadav {

namespace {

namespace fs = std::filesystem;
using namespace git;

constexpr const char* kMarkerName = "dezadav-history.txt";
constexpr std::string_view kMarkerText =
    "Router settings recorded by Dezadav: one file per router (named by its MAC address, or by its IP\n"
    "address when no MAC is known), one commit per record.\n";
// Another process may move the branch between our read and our write; its record stays and ours
// is made again on top of it.
constexpr auto kRetryPause = std::chrono::milliseconds(20);
// How long a run waits for another one writing the same history.
constexpr int kWriterWaitMs = 10000;

// Writes the last-records list (history/last_records.h) for the commit `tip` with tree `tree`, so
// that the next fetch of an unchanged router can tell without git. Whole or not at all: a temporary
// file renamed into place. A list that cannot be written only costs the next fetch a slower check.
void RememberTip(const std::string& folder, const git_oid* tip, const git_tree* tree) {
    std::string text = std::string(git_oid_tostr_s(tip)) + "\n";
    const std::size_t count = git_tree_entrycount(tree);
    for (std::size_t i = 0; i < count; ++i) {
        const git_tree_entry* entry = git_tree_entry_byindex(tree, i);
        text += std::string(git_oid_tostr_s(git_tree_entry_id(entry))) + " " + git_tree_entry_name(entry) + "\n";
    }
    const fs::path target = fs::path(folder) / kLastRecordsFileName;
    fs::path temporary = target;
    temporary += "." + std::to_string(::getpid()) + "." +
                 std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return;
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) fs::remove(temporary, error);
}

bool HoldsMarker(git_commit* commit) {
    git_tree* tree = nullptr;
    if (git_commit_tree(&tree, commit) != 0) return false;
    const TreePtr owned(tree);
    return git_tree_entry_byname(tree, kMarkerName) != nullptr;
}

// The first commit of a new history in `folder`: the marker file alone, read back.
bool StartHistory(const std::string& folder, const std::string& program, std::string* problem) {
    git_repository_init_options options = GIT_REPOSITORY_INIT_OPTIONS_INIT;
    options.flags = GIT_REPOSITORY_INIT_BARE | GIT_REPOSITORY_INIT_MKPATH;
    options.initial_head = "main";
    git_repository* made = nullptr;
    if (git_repository_init_ext(&made, folder.c_str(), &options) != 0) {
        *problem = LastGitError("cannot create the history");
        return false;
    }
    const RepoPtr repo(made);
    git_oid blob;
    git_oid treeId;
    git_treebuilder* builder = nullptr;
    if (git_blob_create_from_buffer(&blob, repo.get(), kMarkerText.data(), kMarkerText.size()) != 0 ||
        git_treebuilder_new(&builder, repo.get(), nullptr) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    const BuilderPtr ownedBuilder(builder);
    git_tree* tree = nullptr;
    if (git_treebuilder_insert(nullptr, builder, kMarkerName, &blob, GIT_FILEMODE_BLOB) != 0 ||
        git_treebuilder_write(&treeId, builder) != 0 || git_tree_lookup(&tree, repo.get(), &treeId) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    const TreePtr ownedTree(tree);
    git_oid commit;
    if (CommitTree(repo.get(), tree, nullptr, "history started\n", program, &commit) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    if (const std::optional<std::string> unread = ReadBack(folder, commit, {blob, treeId})) {
        *problem = "cannot start the history: " + *unread;
        return false;
    }
    return true;
}

bool IsEmptyFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && fs::directory_iterator(folder, error) == fs::directory_iterator();
}

void AddWarning(std::string* warning, const std::string& text) {
    if (warning == nullptr || text.empty()) return;
    *warning += (warning->empty() ? "" : "\n") + text;
}

// A commit HEAD names that never reached the disk would leave the branch pointing at nothing: it goes
// back to the commit before.
void PutBranchBack(git_repository* repo, const git_oid& written, const git_commit* parent) {
    git_reference* head = nullptr;
    if (parent == nullptr || git_repository_head(&head, repo) != 0) return;
    if (git_oid_equal(git_reference_target(head), &written)) {
        git_reference* moved = nullptr;
        if (git_reference_set_target(&moved, head, git_commit_id(parent), "record not written") == 0)
            git_reference_free(moved);
    }
    git_reference_free(head);
}

}  // namespace

std::unique_ptr<GitHistory> GitHistory::Open(const std::string& folder, const std::string& program,
                                             std::string* problem, std::string* warning) {
    InitLibrary();
    const fs::path path(folder);
    std::error_code error;
    // An empty folder is taken only when it is the user's own.
    const bool exists = fs::exists(path, error);
    if (exists) {
        if (const std::optional<std::string> unusable = HistoryFolderProblem(folder, nullptr)) {
            *problem = *unusable;
            return nullptr;
        }
    }
    if (!exists || IsEmptyFolder(path)) {
        const auto fill = [&program](const std::string& made, std::string* why) {
            return StartHistory(made, program, why);
        };
        if (!MakeHistoryBeside(folder, fill, problem)) return nullptr;
    }
    if (const std::optional<std::string> unusable = HistoryFolderProblem(folder, warning)) {
        *problem = *unusable;
        return nullptr;
    }
    git_repository* repo = nullptr;
    // Not told to take the folder as a bare repository: a work tree's folder must show as one.
    if (git_repository_open_ext(&repo, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) {
        *problem = LastGitError(folder + " is not a Dezadav history");
        return nullptr;
    }
    RepoPtr owned(repo);
    if (!git_repository_is_bare(repo)) {
        *problem = folder +
                   " is a git work tree (a checkout), not a Dezadav history; it is left as it is. Give the history "
                   "a folder of its own";
        return nullptr;
    }
    bool failed = false;
    const CommitPtr head = HeadCommit(repo, &failed);
    if (failed) {
        *problem = LastGitError("the history in " + folder + " is damaged");
        return nullptr;
    }
    if (!head || !HoldsMarker(head.get())) {
        *problem = folder + " is another repository, not a Dezadav history; it is left as it is";
        return nullptr;
    }
    const HistoryWriteLock lock(folder, kWriterWaitMs);
    if (!lock.Problem()) {
        const std::vector<std::string> removed = lock.RemoveStaleGitLocks();
        if (!removed.empty()) AddWarning(warning, StaleLocksRemovedText(removed));
    }
    return std::unique_ptr<GitHistory>(new GitHistory(owned.release(), folder, program));
}

GitHistory::GitHistory(git_repository* repo, std::string folder, std::string program)
    : m_repo(repo), m_folder(std::move(folder)), m_program(std::move(program)) {}

GitHistory::~GitHistory() { git_repository_free(m_repo); }

HistoryOutcome GitHistory::Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                                  bool onlyWhenChanged) {
    const std::lock_guard<std::mutex> threads(m_mutex);
    HistoryOutcome outcome;
    const HistoryWriteLock lock(m_folder, kWriterWaitMs);
    if (lock.Problem()) {
        outcome.problem = *lock.Problem();
        return outcome;
    }
    const std::vector<std::string> removed = lock.RemoveStaleGitLocks();
    if (!removed.empty()) outcome.notice = StaleLocksRemovedText(removed);
    if (!router.macAddress.empty() && !router.ipAddress.empty()) {
        if (const std::optional<std::string> unjoined = JoinAddressRecords(router)) {
            outcome.problem = *unjoined;
            return outcome;
        }
    }
    const std::string file = router.FileName();
    const std::string message = HistoryMessage(router, cause, m_program) + RunnerLines();
    git_oid blob;
    if (git_blob_create_from_buffer(&blob, m_repo, settingsText.data(), settingsText.size()) != 0) {
        outcome.problem = LastGitError("cannot write into the history " + m_folder);
        return outcome;
    }
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
        // Each attempt builds its tree on the head as it is now: a record another writer made
        // meanwhile stays in it.
        bool failed = false;
        const CommitPtr head = HeadCommit(m_repo, &failed);
        git_tree* tree = nullptr;
        if (!head || git_commit_tree(&tree, head.get()) != 0) {
            outcome.problem = LastGitError("the history " + m_folder + " is damaged");
            return outcome;
        }
        const TreePtr ownedTree(tree);
        const git_tree_entry* last = git_tree_entry_byname(tree, file.c_str());
        if (onlyWhenChanged && last != nullptr && git_oid_equal(git_tree_entry_id(last), &blob)) {
            RememberTip(m_folder, git_commit_id(head.get()), tree);
            return outcome;
        }
        git_treebuilder* builder = nullptr;
        git_oid treeId;
        git_tree* newTree = nullptr;
        if (git_treebuilder_new(&builder, m_repo, tree) != 0) {
            outcome.problem = LastGitError("cannot write into the history " + m_folder);
            return outcome;
        }
        const BuilderPtr ownedBuilder(builder);
        if (git_treebuilder_insert(nullptr, builder, file.c_str(), &blob, GIT_FILEMODE_BLOB) != 0 ||
            git_treebuilder_write(&treeId, builder) != 0 || git_tree_lookup(&newTree, m_repo, &treeId) != 0) {
            outcome.problem = LastGitError("cannot write into the history " + m_folder);
            return outcome;
        }
        const TreePtr ownedNewTree(newTree);
        git_oid commit;
        const int made = CommitTree(m_repo, newTree, head.get(), message, m_program, &commit);
        if (made == 0) {
            if (const std::optional<std::string> unread = ReadBack(m_folder, commit, {blob, treeId})) {
                PutBranchBack(m_repo, commit, head.get());
                outcome.problem = "the record was not written to the history " + m_folder + ": " + *unread;
                return outcome;
            }
            outcome.recorded = true;
            outcome.id = git_oid_tostr_s(&commit);
            RememberTip(m_folder, &commit, newTree);
            return outcome;
        }
        if (!Retryable(made)) break;
        std::this_thread::sleep_for(kRetryPause);
    }
    outcome.problem = LastGitError("cannot write into the history " + m_folder);
    return outcome;
}

std::optional<std::string> GitHistory::JoinAddressRecords(const HistoryRouter& router) {
    const std::string addressFile = router.ipAddress + ".csv";
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
        bool failed = false;
        const CommitPtr head = HeadCommit(m_repo, &failed);
        git_tree* tree = nullptr;
        if (!head || git_commit_tree(&tree, head.get()) != 0) return LastGitError("the history " + m_folder + " is damaged");
        const TreePtr ownedTree(tree);
        if (git_tree_entry_byname(tree, addressFile.c_str()) == nullptr) return std::nullopt;
        // The records kept under the address belong to this router from now on: its file leaves the
        // tree in one commit that says whose history took them.
        git_treebuilder* builder = nullptr;
        git_oid treeId;
        git_tree* newTree = nullptr;
        if (git_treebuilder_new(&builder, m_repo, tree) != 0) return LastGitError("cannot write into the history " + m_folder);
        const BuilderPtr ownedBuilder(builder);
        if (git_treebuilder_remove(builder, addressFile.c_str()) != 0 || git_treebuilder_write(&treeId, builder) != 0 ||
            git_tree_lookup(&newTree, m_repo, &treeId) != 0)
            return LastGitError("cannot write into the history " + m_folder);
        const TreePtr ownedNewTree(newTree);
        const std::string message = "join: the records of " + router.ipAddress + " are " + router.macAddress +
                                    "'s\n\nRouter: " + router.macAddress + "\nAddress: " + router.ipAddress +
                                    "\nJoined: " + router.ipAddress + "\nProgram: " + m_program + "\n" + RunnerLines();
        git_oid commit;
        const int made = CommitTree(m_repo, newTree, head.get(), message, m_program, &commit);
        if (made == 0) {
            if (const std::optional<std::string> unread = ReadBack(m_folder, commit, {treeId})) {
                PutBranchBack(m_repo, commit, head.get());
                return "the records of " + router.ipAddress + " could not join " + router.macAddress + ": " + *unread;
            }
            return std::nullopt;
        }
        if (!Retryable(made)) break;
        std::this_thread::sleep_for(kRetryPause);
    }
    return LastGitError("cannot write into the history " + m_folder);
}

bool GitHistory::Walk(const std::function<bool(const git_oid&, git_commit*, std::string_view)>& visit,
                      std::optional<std::string>* problem) {
    git_revwalk* walk = nullptr;
    if (git_revwalk_new(&walk, m_repo) != 0) {
        *problem = LastGitError("cannot read the history " + m_folder);
        return false;
    }
    const WalkPtr ownedWalk(walk);
    git_revwalk_sorting(walk, GIT_SORT_TIME | GIT_SORT_TOPOLOGICAL);
    if (git_revwalk_push_head(walk) != 0) {
        *problem = LastGitError("cannot read the history " + m_folder);
        return false;
    }
    git_oid id;
    int walked = 0;
    while ((walked = git_revwalk_next(&id, walk)) == 0) {
        git_commit* commit = nullptr;
        if (git_commit_lookup(&commit, m_repo, &id) != 0) {
            *problem = LastGitError("the history " + m_folder + " is damaged");
            return false;
        }
        const CommitPtr owned(commit);
        const char* message = git_commit_message(commit);
        if (message != nullptr && !visit(id, commit, message)) return true;
    }
    // A commit the walk cannot read ends it early: the records would look fewer than they are.
    if (walked != GIT_ITEROVER) {
        *problem = LastGitError("the history " + m_folder + " is damaged");
        return false;
    }
    return true;
}

HistoryRouter GitHistory::Resolve(const HistoryRouter& router, std::optional<std::string>* problem) {
    HistoryRouter key = router;
    if (!key.macAddress.empty() || key.ipAddress.empty()) return key;
    // Named by its address alone (no discovery answer now): the router that last answered from it.
    Walk(
        [&](const git_oid&, git_commit*, std::string_view message) {
            const std::string name = HistoryMessageField(message, "Router").value_or("");
            if (HistoryMessageField(message, "Address").value_or("") != key.ipAddress || name == key.ipAddress)
                return true;
            key.macAddress = name;
            return false;
        },
        problem);
    return key;
}

std::vector<std::string> GitHistory::Names(const HistoryRouter& key, std::optional<std::string>* problem) {
    std::vector<std::string> names;
    for (const std::string* name : {&key.macAddress, &key.ipAddress}) {
        if (!name->empty()) names.push_back(*name);
    }
    if (key.macAddress.empty()) return names;
    // The addresses whose records joined this router's history once its MAC was known.
    Walk(
        [&](const git_oid&, git_commit*, std::string_view message) {
            if (HistoryMessageField(message, "Router").value_or("") == key.macAddress) {
                if (const std::optional<std::string> joined = HistoryMessageField(message, "Joined"))
                    names.push_back(*joined);
            }
            return true;
        },
        problem);
    return names;
}

std::vector<HistoryEntry> GitHistory::Entries(const HistoryRouter& router, std::optional<std::string>* problem) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<HistoryEntry> entries;
    std::optional<std::string> unread;
    const HistoryRouter key = Resolve(router, &unread);
    const std::vector<std::string> names = Names(key, &unread);
    if (unread) {
        *problem = unread;
        return entries;
    }
    Walk(
        [&](const git_oid& id, git_commit* commit, std::string_view message) {
            const std::string name = HistoryMessageField(message, "Router").value_or("");
            if (std::find(names.begin(), names.end(), name) == names.end()) return true;
            const std::optional<HistoryCause> cause =
                HistoryCauseFromWord(HistoryMessageField(message, "Cause").value_or(""));
            if (!cause) return true;
            HistoryEntry entry;
            entry.id = git_oid_tostr_s(&id);
            entry.time = static_cast<std::int64_t>(git_commit_time(commit));
            entry.cause = *cause;
            entry.model = HistoryMessageField(message, "Model").value_or("");
            entries.push_back(std::move(entry));
            return true;
        },
        problem);
    return entries;
}

std::optional<std::string> GitHistory::SettingsAt(const HistoryRouter& router, const std::string& id,
                                                  std::optional<std::string>* problem) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    git_object* object = nullptr;
    // Only a commit name (full or a unique abbreviation): never a path or a revision expression.
    const bool hex = !id.empty() && id.size() <= GIT_OID_HEXSZ &&
                     id.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (!hex || git_revparse_single(&object, m_repo, id.c_str()) != 0) {
        *problem = "no record " + id + " in the history " + m_folder;
        return std::nullopt;
    }
    const ObjectPtr ownedObject(object);
    git_object* peeled = nullptr;
    if (git_object_peel(&peeled, object, GIT_OBJECT_COMMIT) != 0) {
        *problem = "no record " + id + " in the history " + m_folder;
        return std::nullopt;
    }
    const ObjectPtr ownedPeeled(peeled);
    auto* commit = reinterpret_cast<git_commit*>(peeled);
    const char* message = git_commit_message(commit);
    const std::string name = message == nullptr ? "" : HistoryMessageField(message, "Router").value_or("");
    std::optional<std::string> unread;
    const HistoryRouter key = Resolve(router, &unread);
    const std::vector<std::string> names = Names(key, &unread);
    if (unread) {
        *problem = unread;
        return std::nullopt;
    }
    if (name.empty() || std::find(names.begin(), names.end(), name) == names.end()) {
        *problem = "the record " + id + " is not one of router " + key.Name();
        return std::nullopt;
    }
    const std::string file = name + ".csv";
    git_tree* tree = nullptr;
    git_tree_entry* entry = nullptr;
    git_blob* blob = nullptr;
    if (git_commit_tree(&tree, commit) != 0) {
        *problem = LastGitError("the history " + m_folder + " is damaged");
        return std::nullopt;
    }
    const TreePtr ownedTree(tree);
    if (git_tree_entry_bypath(&entry, tree, file.c_str()) != 0) {
        *problem = LastGitError("the history " + m_folder + " is damaged");
        return std::nullopt;
    }
    const EntryPtr ownedEntry(entry);
    if (git_blob_lookup(&blob, m_repo, git_tree_entry_id(entry)) != 0) {
        *problem = LastGitError("the history " + m_folder + " is damaged");
        return std::nullopt;
    }
    const BlobPtr ownedBlob(blob);
    return std::string(static_cast<const char*>(git_blob_rawcontent(blob)),
                       static_cast<std::size_t>(git_blob_rawsize(blob)));
}

}  // namespace dezadav
