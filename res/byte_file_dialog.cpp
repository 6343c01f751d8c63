#include "res/byte_file_dialog.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "res/path_bytes.h"

namespace ostrel::res {
namespace {

constexpr int kIsFolderRole = Qt::UserRole + 1;

std::string CurrentFolder() {
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    return cwd ? std::string(cwd.get()) : std::string("/");
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (end.size() > text.size()) return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

ByteFileDialog::ByteFileDialog(const FileDialogSpec& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("ByteFileDialog"));
    setWindowTitle(request.save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    // "config file (*.cfg)|*.cfg||": the patterns are every second part.
    const QStringList parts = request.filter.split('|', Qt::SkipEmptyParts);
    for (int i = 1; i < parts.size(); i += 2)
        for (const QString& pattern : parts[i].split(';', Qt::SkipEmptyParts))
            if (pattern.startsWith(QStringLiteral("*.")))
                patterns_.push_back(pattern.mid(1).toStdString());

    where_ = new QLabel(this);
    auto* up = new QPushButton(QStringLiteral("&Up"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("files"));
    list_->setAccessibleName(QStringLiteral("Folders and files"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setAccessibleName(QStringLiteral("File name"));
    if (!request.initialName.contains('*')) name_->setText(request.initialName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(request.save ? QStringLiteral("&Save") : QStringLiteral("&Open"));

    auto* top = new QHBoxLayout;
    top->addWidget(where_, 1);
    top->addWidget(up);
    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = new QLabel(QStringLiteral("File &name:"), this);
    nameLabel->setBuddy(name_);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(nameRow);
    layout->addWidget(new QLabel(parts.isEmpty() ? QString() : parts[0], this));
    layout->addWidget(buttons);
    resize(520, 400);

    connect(up, &QPushButton::clicked, this, [this] {
        const size_t slash = folder_.find_last_of('/');
        Enter(slash == 0 || slash == std::string::npos ? "/" : folder_.substr(0, slash));
    });
    connect(list_, &QListWidget::itemActivated, this, &ByteFileDialog::OnActivated);
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item || item->data(kIsFolderRole).toBool()) return;
        name_->setText(item->text());
        nameBytes_ = item->data(Qt::UserRole).toByteArray().toStdString();
    });
    // A name typed is the typed text's bytes.
    connect(name_, &QLineEdit::textEdited, this, [this] { nameBytes_.clear(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &ByteFileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ByteFileDialog::reject);
    Enter(CurrentFolder());
    name_->setFocus();
}

void ByteFileDialog::Enter(const std::string& folder) {
    folder_ = folder;
    where_->setText(PathShown(PathFromBytes(folder_)));
    Fill();
}

bool ByteFileDialog::Matches(const std::string& name) const {
    if (patterns_.empty()) return true;
    return std::any_of(patterns_.begin(), patterns_.end(),
                       [&](const std::string& end) { return EndsWithNoCase(name, end); });
}

void ByteFileDialog::Fill() {
    list_->clear();
    std::vector<std::string> folders, files;
    if (DIR* dir = opendir(folder_.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.') continue;
            if (IsFolder(Join(folder_, name)))
                folders.push_back(name);
            else if (Matches(name))
                files.push_back(name);
        }
        closedir(dir);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    const auto add = [this](const std::string& name, bool folder) {
        const QString shown = PathShown(PathFromBytes(name));
        auto* item = new QListWidgetItem(folder ? shown + '/' : shown, list_);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
        item->setData(kIsFolderRole, folder);
    };
    for (const std::string& name : folders) add(name, true);
    for (const std::string& name : files) add(name, false);
}

void ByteFileDialog::OnActivated(QListWidgetItem* item) {
    const std::string name = item->data(Qt::UserRole).toByteArray().toStdString();
    if (item->data(kIsFolderRole).toBool()) {
        Enter(Join(folder_, name));
        return;
    }
    nameBytes_ = name;
    name_->setText(item->text());
    accept();
}

void ByteFileDialog::accept() {
    const QString typed = name_->text().trimmed();
    if (typed.isEmpty()) return;
    std::string name = nameBytes_.empty() ? PathBytes(typed) : nameBytes_;
    // A path typed whole, or relative to the folder listed.
    std::string path = name[0] == '/' ? name : Join(folder_, name);
    if (IsFolder(path)) {
        Enter(path);
        name_->clear();
        nameBytes_.clear();
        return;
    }
    const size_t slash = path.find_last_of('/');
    name = path.substr(slash + 1);
    if (request_.save && name.find('.') == std::string::npos &&
        !request_.defaultExtension.isEmpty()) {
        name += "." + request_.defaultExtension.toStdString();
        path += "." + request_.defaultExtension.toStdString();
    }
    const QString shown = PathShown(PathFromBytes(path));
    if (!request_.save && !Exists(path)) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1\nThe file was not found.").arg(shown));
        return;
    }
    if (request_.save && Exists(path) &&
        QMessageBox::question(
            this, windowTitle(),
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(shown)) !=
            QMessageBox::Yes)
        return;
    chosenPath_ = path;
    chosenName_ = name;
    QDialog::accept();
}

}  // namespace ostrel::res
