#include "history/git_support.h"

#include <pwd.h>
#include <unistd.h>

#include <array>

namespace dezadav::git {

void InitLibrary() {
    static const int once = git_libgit2_init();
    (void)once;
}

std::string LastGitError(const std::string& what) {
    const git_error* error = git_error_last();
    return what + (error != nullptr && error->message != nullptr && *error->message != '\0'
                       ? std::string(": ") + error->message
                       : "");
}

bool Retryable(int code) { return code == GIT_EMODIFIED || code == GIT_ELOCKED; }

CommitPtr HeadCommit(git_repository* repo, bool* failed) {
    *failed = false;
    git_oid id;
    const int found = git_reference_name_to_id(&id, repo, "HEAD");
    if (found == GIT_ENOTFOUND || found == GIT_EUNBORNBRANCH) return nullptr;
    git_commit* commit = nullptr;
    if (found != 0 || git_commit_lookup(&commit, repo, &id) != 0) {
        *failed = true;
        return nullptr;
    }
    return CommitPtr(commit);
}

namespace {

std::string UserName() {
    const passwd* entry = ::getpwuid(::geteuid());
    if (entry != nullptr && entry->pw_name != nullptr && *entry->pw_name != '\0') return entry->pw_name;
    return "uid" + std::to_string(::geteuid());
}

std::string HostName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    return name.data();
}

// A signature's name or email never holds the bytes git uses to delimit them.
std::string Clean(std::string text) {
    for (char& c : text) {
        if (c == '<' || c == '>' || c == '\n' || c == '\r') c = '_';
    }
    return text;
}

}  // namespace

std::string RunnerLines() {
    return "User: " + Clean(UserName()) + "\nHost: " + Clean(HostName()) + "\n";
}

SignaturePtr RunSignature(const std::string& program) {
    const std::string user = Clean(UserName());
    const std::string host = Clean(HostName());
    const std::string name = user + " on " + host + " (" + Clean(program) + ")";
    git_signature* signature = nullptr;
    if (git_signature_now(&signature, name.c_str(), (user + "@" + host).c_str()) != 0) return nullptr;
    return SignaturePtr(signature);
}

int CommitTree(git_repository* repo, const git_tree* tree, const git_commit* parent, const std::string& message,
               const std::string& program, git_oid* id) {
    const SignaturePtr signature = RunSignature(program);
    if (!signature) return -1;
    const git_commit* parents[] = {parent};
    return git_commit_create(id, repo, "HEAD", signature.get(), signature.get(), "UTF-8", message.c_str(), tree,
                             parent != nullptr ? 1 : 0, parents);
}

std::optional<std::string> ReadBack(const std::string& path, const git_oid& commit,
                                    const std::vector<git_oid>& written) {
    git_repository* fresh = nullptr;
    if (git_repository_open_ext(&fresh, path.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr) != 0)
        return LastGitError("cannot read back the record");
    const RepoPtr repo(fresh);
    git_oid head;
    if (git_reference_name_to_id(&head, repo.get(), "HEAD") != 0) return LastGitError("cannot read back the branch");
    if (!git_oid_equal(&head, &commit)) return std::string("the branch does not point at the record written");
    git_odb* rawOdb = nullptr;
    if (git_repository_odb(&rawOdb, repo.get()) != 0) return LastGitError("cannot read back the record");
    const OdbPtr odb(rawOdb);
    std::vector<git_oid> all = written;
    all.push_back(commit);
    for (const git_oid& id : all) {
        // A full read inflates the object and checks its hash: a file cut short fails here.
        git_odb_object* object = nullptr;
        if (git_odb_read(&object, odb.get(), &id) != 0)
            return LastGitError(std::string("object ") + git_oid_tostr_s(&id) + " was not written");
        OdbObjectPtr owned(object);
    }
    return std::nullopt;
}

std::string LooseObjectPath(const std::string& path, const git_oid& id) {
    const std::string hex = git_oid_tostr_s(&id);
    const std::string folder = !path.empty() && path.back() == '/' ? path : path + "/";
    return folder + "objects/" + hex.substr(0, 2) + "/" + hex.substr(2);
}

}  // namespace dezadav::git
