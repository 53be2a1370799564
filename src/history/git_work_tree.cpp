#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "history/git_history.h"
#include "history/git_support.h"

// A backup folder that is a git work tree: each run's files become one commit there.

namespace dezadav {

namespace {

using namespace git;

constexpr auto kRetryPause = std::chrono::milliseconds(20);

// The files hold SIP passwords: a repository whose objects others can open would hand them out.
std::optional<std::string> ObjectsOpenToOthers(git_repository* repo) {
    const std::string objects = std::string(git_repository_path(repo)) + "objects";
    struct stat status {};
    if (::stat(objects.c_str(), &status) != 0 || (status.st_mode & 077) == 0) return std::nullopt;
    return objects + " can be read by other users, and the backups hold SIP passwords; run: chmod -R go= " +
           objects;
}

// The object written for a file gets the file's mode, without write permission.
void GiveObjectModeOf(const std::string& repoPath, const git_oid& id, mode_t fileMode) {
    const std::string object = LooseObjectPath(repoPath, id);
    ::chmod(object.c_str(), fileMode & 0444);
}

}  // namespace

bool IsGitWorkTree(const std::string& folder) {
    InitLibrary();
    git_repository* repo = nullptr;
    if (git_repository_open_ext(&repo, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) return false;
    const RepoPtr owned(repo);
    return !git_repository_is_bare(repo);
}

bool CommitFolderFiles(const std::string& folder, const std::vector<std::string>& files, const std::string& message,
                       const std::string& program, std::string* problem, bool* committed) {
    InitLibrary();
    if (committed != nullptr) *committed = false;
    git_repository* raw = nullptr;
    if (git_repository_open_ext(&raw, folder.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0) {
        *problem = LastGitError(folder + " is not a git repository");
        return false;
    }
    const RepoPtr repo(raw);
    if (git_repository_is_bare(raw)) {
        *problem = folder + " has no work tree to commit";
        return false;
    }
    if (const std::optional<std::string> open = ObjectsOpenToOthers(raw)) {
        *problem = *open;
        return false;
    }
    const std::string repoPath = git_repository_path(raw);
    std::vector<git_oid> blobs;
    for (const std::string& file : files) {
        const std::string path = folder + "/" + file;
        git_oid blob;
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 || git_blob_create_from_disk(&blob, raw, path.c_str()) != 0) {
            *problem = LastGitError("cannot add " + file + " to the repository " + folder);
            return false;
        }
        GiveObjectModeOf(repoPath, blob, status.st_mode);
        blobs.push_back(blob);
    }
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
        // The tree is the head's with these files changed: what the user staged is not taken along, and
        // a commit another writer made meanwhile stays.
        bool failed = false;
        const CommitPtr head = HeadCommit(raw, &failed);
        git_tree* base = nullptr;
        if (failed || (head && git_commit_tree(&base, head.get()) != 0)) break;
        const TreePtr ownedBase(base);
        git_treebuilder* builder = nullptr;
        if (git_treebuilder_new(&builder, raw, base) != 0) break;
        const BuilderPtr ownedBuilder(builder);
        bool inserted = true;
        for (std::size_t i = 0; i < files.size() && inserted; ++i)
            inserted = git_treebuilder_insert(nullptr, builder, files[i].c_str(), &blobs[i], GIT_FILEMODE_BLOB) == 0;
        git_oid treeId;
        git_tree* tree = nullptr;
        if (!inserted || git_treebuilder_write(&treeId, builder) != 0 || git_tree_lookup(&tree, raw, &treeId) != 0) break;
        const TreePtr ownedTree(tree);
        // A run that changed no file makes no commit.
        if (base != nullptr && git_oid_equal(git_tree_id(base), &treeId)) return true;
        git_oid commit;
        const int made =
            CommitTree(raw, tree, head.get(), message + "\n\nProgram: " + program + "\n" + RunnerLines(), program, &commit);
        if (made == 0) {
            if (const std::optional<std::string> unread = ReadBack(folder, commit, {treeId})) {
                *problem = "the backup was not committed in " + folder + ": " + *unread;
                return false;
            }
            GiveObjectModeOf(repoPath, treeId, 0600);
            GiveObjectModeOf(repoPath, commit, 0600);
            if (committed != nullptr) *committed = true;
            // The index takes these files as committed, so `git status` shows them unchanged; what else
            // the user staged stays staged.
            git_index* rawIndex = nullptr;
            if (git_repository_index(&rawIndex, raw) == 0) {
                const IndexPtr index(rawIndex);
                bool added = true;
                for (const std::string& file : files) added = added && git_index_add_bypath(rawIndex, file.c_str()) == 0;
                if (!added || git_index_write(rawIndex) != 0) {
                    *problem = LastGitError("committed, but cannot write the index of " + folder);
                    return false;
                }
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
