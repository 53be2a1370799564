#include "history/git_history.h"

#include "history/last_records.h"

#include <git2.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

namespace dezadav {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMarkerName = "dezadav-history.txt";
constexpr std::string_view kMarkerText =
    "Router settings recorded by Dezadav: one file per router (named by its MAC address, or by its IP\n"
    "address when no MAC is known), one commit per record.\n";
constexpr const char* kHead = "HEAD";
// Another process may move the branch between our read and our write; its record stays and ours
// is made again on top of it.
constexpr int kCommitAttempts = 50;
constexpr auto kRetryPause = std::chrono::milliseconds(20);

// libgit2's global state, set up once for the program's life.
void InitLibrary() {
    static const int once = git_libgit2_init();
    (void)once;
}

std::string LastGitError(const std::string& what) {
    const git_error* error = git_error_last();
    return what + (error != nullptr && error->message != nullptr ? std::string(": ") + error->message : "");
}

template <typename T, void (*Free)(T*)>
struct GitFree {
    void operator()(T* object) const { Free(object); }
};
template <typename T, void (*Free)(T*)>
using GitPtr = std::unique_ptr<T, GitFree<T, Free>>;
using CommitPtr = GitPtr<git_commit, git_commit_free>;
using TreePtr = GitPtr<git_tree, git_tree_free>;
using BuilderPtr = GitPtr<git_treebuilder, git_treebuilder_free>;
using SignaturePtr = GitPtr<git_signature, git_signature_free>;
using BlobPtr = GitPtr<git_blob, git_blob_free>;
using ObjectPtr = GitPtr<git_object, git_object_free>;
using WalkPtr = GitPtr<git_revwalk, git_revwalk_free>;
using EntryPtr = GitPtr<git_tree_entry, git_tree_entry_free>;
using IndexPtr = GitPtr<git_index, git_index_free>;
using RepoPtr = GitPtr<git_repository, git_repository_free>;

SignaturePtr Signature() {
    git_signature* signature = nullptr;
    if (git_signature_now(&signature, "Dezadav", "dezadav@localhost") != 0) return nullptr;
    return SignaturePtr(signature);
}

// The commit HEAD names; nothing on an unborn branch (or a failure: `failed` tells them apart).
CommitPtr HeadCommit(git_repository* repo, bool* failed) {
    *failed = false;
    git_oid id;
    const int found = git_reference_name_to_id(&id, repo, kHead);
    if (found == GIT_ENOTFOUND || found == GIT_EUNBORNBRANCH) return nullptr;
    git_commit* commit = nullptr;
    if (found != 0 || git_commit_lookup(&commit, repo, &id) != 0) {
        *failed = true;
        return nullptr;
    }
    return CommitPtr(commit);
}

// Writes a commit of `tree` on top of `parent` (none: the first commit) and moves HEAD to it.
// GIT_EMODIFIED or GIT_ELOCKED when another writer moved or holds the branch meanwhile.
int CommitTree(git_repository* repo, const git_tree* tree, const git_commit* parent, const std::string& message,
               git_oid* id) {
    const SignaturePtr signature = Signature();
    if (!signature) return -1;
    const git_commit* parents[] = {parent};
    return git_commit_create(id, repo, kHead, signature.get(), signature.get(), "UTF-8", message.c_str(), tree,
                             parent != nullptr ? 1 : 0, parents);
}

bool Retryable(int code) { return code == GIT_EMODIFIED || code == GIT_ELOCKED; }

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

// The first commit of a new history: the marker file alone.
bool StartHistory(git_repository* repo, std::string* problem) {
    git_oid blob;
    git_oid treeId;
    git_treebuilder* builder = nullptr;
    if (git_blob_create_from_buffer(&blob, repo, kMarkerText.data(), kMarkerText.size()) != 0 ||
        git_treebuilder_new(&builder, repo, nullptr) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    const BuilderPtr ownedBuilder(builder);
    git_tree* tree = nullptr;
    if (git_treebuilder_insert(nullptr, builder, kMarkerName, &blob, GIT_FILEMODE_BLOB) != 0 ||
        git_treebuilder_write(&treeId, builder) != 0 || git_tree_lookup(&tree, repo, &treeId) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    const TreePtr ownedTree(tree);
    git_oid commit;
    if (CommitTree(repo, tree, nullptr, "history started\n", &commit) != 0) {
        *problem = LastGitError("cannot start the history");
        return false;
    }
    return true;
}

bool IsEmptyFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && fs::directory_iterator(folder, error) == fs::directory_iterator();
}

}  // namespace

std::unique_ptr<GitHistory> GitHistory::Open(const std::string& folder, const std::string& program,
                                             std::string* problem) {
    InitLibrary();
    const fs::path path(folder);
    std::error_code error;
    const bool fresh = !fs::exists(path, error) || IsEmptyFolder(path);
    git_repository* repo = nullptr;
    if (fresh) {
        fs::create_directories(path, error);
        // Settings hold SIP passwords: the history is the user's alone.
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, error);
        if (error) {
            *problem = "cannot create the history folder " + folder + ": " + error.message();
            return nullptr;
        }
        git_repository_init_options options = GIT_REPOSITORY_INIT_OPTIONS_INIT;
        options.flags = GIT_REPOSITORY_INIT_BARE | GIT_REPOSITORY_INIT_MKPATH;
        options.initial_head = "main";
        if (git_repository_init_ext(&repo, folder.c_str(), &options) != 0) {
            *problem = LastGitError("cannot create the history in " + folder);
            return nullptr;
        }
        RepoPtr owned(repo);
        if (!StartHistory(repo, problem)) return nullptr;
        return std::unique_ptr<GitHistory>(new GitHistory(owned.release(), folder, program));
    }
    if (git_repository_open_ext(&repo, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH | GIT_REPOSITORY_OPEN_BARE,
                                nullptr) != 0) {
        *problem = LastGitError(folder + " is not a Dezadav history");
        return nullptr;
    }
    RepoPtr owned(repo);
    bool failed = false;
    const CommitPtr head = HeadCommit(repo, &failed);
    if (failed) {
        *problem = LastGitError("the history in " + folder + " is damaged");
        return nullptr;
    }
    if (!git_repository_is_bare(repo) || !head || !HoldsMarker(head.get())) {
        *problem = folder + " is another repository, not a Dezadav history; it is left as it is";
        return nullptr;
    }
    return std::unique_ptr<GitHistory>(new GitHistory(owned.release(), folder, program));
}

GitHistory::GitHistory(git_repository* repo, std::string folder, std::string program)
    : m_repo(repo), m_folder(std::move(folder)), m_program(std::move(program)) {}

GitHistory::~GitHistory() { git_repository_free(m_repo); }

HistoryOutcome GitHistory::Record(const HistoryRouter& router, HistoryCause cause, std::string_view settingsText,
                                  bool onlyWhenChanged) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    HistoryOutcome outcome;
    const std::string file = router.FileName();
    const std::string message = HistoryMessage(router, cause, m_program);
    git_oid blob;
    if (git_blob_create_from_buffer(&blob, m_repo, settingsText.data(), settingsText.size()) != 0) {
        outcome.problem = LastGitError("cannot write into the history " + m_folder);
        return outcome;
    }
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
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
        const int made = CommitTree(m_repo, newTree, head.get(), message, &commit);
        if (made == 0) {
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

std::vector<HistoryEntry> GitHistory::Entries(const HistoryRouter& router, std::optional<std::string>* problem) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<HistoryEntry> entries;
    const std::string file = router.FileName();
    git_revwalk* walk = nullptr;
    if (git_revwalk_new(&walk, m_repo) != 0) {
        *problem = LastGitError("cannot read the history " + m_folder);
        return entries;
    }
    const WalkPtr ownedWalk(walk);
    git_revwalk_sorting(walk, GIT_SORT_TIME | GIT_SORT_TOPOLOGICAL);
    if (git_revwalk_push_head(walk) != 0) {
        *problem = LastGitError("cannot read the history " + m_folder);
        return entries;
    }
    git_oid id;
    int walked = 0;
    while ((walked = git_revwalk_next(&id, walk)) == 0) {
        git_commit* commit = nullptr;
        if (git_commit_lookup(&commit, m_repo, &id) != 0) {
            *problem = LastGitError("the history " + m_folder + " is damaged");
            return entries;
        }
        const CommitPtr owned(commit);
        const char* message = git_commit_message(commit);
        if (message == nullptr) continue;
        const std::optional<std::string> name = HistoryMessageField(message, "Router");
        if (!name || *name + ".csv" != file) continue;
        const std::optional<HistoryCause> cause = HistoryCauseFromWord(HistoryMessageField(message, "Cause").value_or(""));
        if (!cause) continue;
        HistoryEntry entry;
        entry.id = git_oid_tostr_s(&id);
        entry.time = static_cast<std::int64_t>(git_commit_time(commit));
        entry.cause = *cause;
        entry.model = HistoryMessageField(message, "Model").value_or("");
        entries.push_back(std::move(entry));
    }
    // A commit the walk cannot read ends it early: the records would look fewer than they are.
    if (walked != GIT_ITEROVER) *problem = LastGitError("the history " + m_folder + " is damaged");
    return entries;
}

std::optional<std::string> GitHistory::SettingsAt(const HistoryRouter& router, const std::string& id,
                                                  std::optional<std::string>* problem) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::string file = router.FileName();
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
    if (message == nullptr || HistoryMessageField(message, "Router").value_or("") + ".csv" != file) {
        *problem = "the record " + id + " is not one of router " + (router.macAddress.empty() ? router.ipAddress : router.macAddress);
        return std::nullopt;
    }
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

bool IsGitWorkTree(const std::string& folder) {
    InitLibrary();
    git_repository* repo = nullptr;
    if (git_repository_open_ext(&repo, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) return false;
    const RepoPtr owned(repo);
    return !git_repository_is_bare(repo);
}

bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files, const std::string& message,
                       std::string* problem) {
    InitLibrary();
    git_repository* repo = nullptr;
    if (git_repository_open_ext(&repo, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0 ) {
        *problem = LastGitError(folder + " is not a git repository");
        return false;
    }
    const RepoPtr ownedRepo(repo);
    git_index* index = nullptr;
    if (git_repository_is_bare(repo) || git_repository_index(&index, repo) != 0) {
        *problem = LastGitError(folder + " has no work tree to commit");
        return false;
    }
    const IndexPtr ownedIndex(index);
    for (const std::string& file : files) {
        if (git_index_add_bypath(index, file.c_str()) != 0) {
            *problem = LastGitError("cannot add " + file + " to the repository " + folder);
            return false;
        }
    }
    git_oid treeId;
    git_tree* tree = nullptr;
    if (git_index_write_tree(&treeId, index) != 0 || git_tree_lookup(&tree, repo, &treeId) != 0) {
        *problem = LastGitError("cannot commit in " + folder);
        return false;
    }
    const TreePtr ownedTree(tree);
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
        bool failed = false;
        const CommitPtr head = HeadCommit(repo, &failed);
        if (failed) break;
        // A run that changed no file adds no commit: the log shows the nights something changed.
        const bool unchanged = head && git_oid_equal(git_commit_tree_id(head.get()), &treeId);
        git_oid commit;
        const int made = unchanged ? 0 : CommitTree(repo, tree, head.get(), message, &commit);
        if (made == 0) {
            // The index now matches the commit, so `git status` shows nothing left to commit.
            if (git_index_write(index) != 0) {
                *problem = LastGitError("committed, but cannot write the index of " + folder);
                return false;
            }
            return true;
        }
        if (!Retryable(made)) break;
        std::this_thread::sleep_for(kRetryPause);
    }
    *problem = LastGitError("cannot commit in " + folder);
    return false;
}

}  // namespace dezadav
