#pragma once

// What the git adapters of this folder share: owning pointers for libgit2's objects, its error text,
// the branch head, and the read-back that makes a commit count as written. Not for use outside
// src/history.

#include <git2.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dezadav::git {

// libgit2's global state, set up once for the program's life.
void InitLibrary();

// `what`, followed by libgit2's last error when it has one.
std::string LastGitError(const std::string& what);

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
using OdbPtr = GitPtr<git_odb, git_odb_free>;
using OdbObjectPtr = GitPtr<git_odb_object, git_odb_object_free>;

// Another writer moved or holds the branch: the commit is made again on the new head.
inline constexpr int kCommitAttempts = 50;
bool Retryable(int code);

// The commit HEAD names; nothing on an unborn branch (or a failure: `failed` tells them apart).
CommitPtr HeadCommit(git_repository* repo, bool* failed);

// The user and host that run the program, and the program: "user@host (dezadav-cli 1.2)" style names
// for a commit's author and committer.
SignaturePtr RunSignature(const std::string& program);

// "User: <user>\nHost: <host>\n": who ran the program that writes a commit, for its message.
std::string RunnerLines();

// Writes a commit of `tree` on top of `parent` (none: the first commit) and moves HEAD to it.
// GIT_EMODIFIED or GIT_ELOCKED when another writer moved or holds the branch meanwhile.
int CommitTree(git_repository* repo, const git_tree* tree, const git_commit* parent, const std::string& message,
               const std::string& program, git_oid* id);

// Reads back, through a fresh handle on the repository at `path`, that HEAD names `commit` and that
// it and every object of `written` are whole on disk. The reason when not: a commit libgit2 reported
// made may never have reached the disk (a full file system).
std::optional<std::string> ReadBack(const std::string& path, const git_oid& commit,
                                    const std::vector<git_oid>& written);

// The file that holds object `id` in the repository at `path` (loose objects only).
std::string LooseObjectPath(const std::string& path, const git_oid& id);

}  // namespace dezadav::git
