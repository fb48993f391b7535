#include "platform/files/path_names.h"

namespace orvia {
namespace {

// Where the file name begins.
std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Where the extension of the file name begins; npos when it has none.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && dot > start ? dot : std::string_view::npos;
}

}  // namespace

std::string FileNameOf(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string FileStemOf(std::string_view path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = ExtensionStart(path);
    return std::string(path.substr(start, dot == std::string_view::npos ? dot : dot - start));
}

std::string FolderOf(std::string_view path) {
    const std::size_t start = NameStart(path);
    return start == 0 ? std::string("./") : std::string(path.substr(0, start));
}

std::string WithExtension(std::string_view path, std::string_view extension) {
    return std::string(path.substr(0, ExtensionStart(path))) + std::string(extension);
}

}  // namespace orvia
