#include "platform/settings.h"

#include "platform/codepage.h"

#include <QSettings>
#include <QString>

#include <algorithm>

namespace {

const char* const kRecentSection = "Recent File List";

QString toQt(const std::string& bytes) {
    return QString::fromStdString(cp1252::toUtf8(bytes));
}

std::string fromQt(const QString& text) {
    std::string out;
    if (!cp1252::fromUtf8(text.toStdString(), out))
        return text.toStdString();
    return out;
}

QString keyOf(const std::string& section, const std::string& entry) {
    return toQt(section) + "/" + toQt(entry);
}

} // namespace

struct Settings::Impl {
    std::unique_ptr<QSettings> store;
};

Settings::Settings(const std::string& key, const std::string& application, int recentSize)
    : d_(std::make_unique<Impl>()), recentSize_(std::max(0, recentSize)) {
    d_->store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            toQt(key), toQt(application));
}

Settings::Settings(const std::string& iniFile, int recentSize)
    : d_(std::make_unique<Impl>()), recentSize_(std::max(0, recentSize)) {
    d_->store = std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat);
}

Settings::~Settings() {
    d_->store->sync();
}

std::vector<std::string> Settings::recentFiles() const {
    std::vector<std::string> files;
    for (int i = 1; i <= recentSize_; ++i) {
        std::string path = getString(kRecentSection, "File" + std::to_string(i), "");
        if (!path.empty())
            files.push_back(path);
    }
    return files;
}

void Settings::addRecentFile(const std::string& path) {
    if (path.empty() || recentSize_ == 0)
        return;
    std::vector<std::string> files = recentFiles();
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > static_cast<std::size_t>(recentSize_))
        files.resize(static_cast<std::size_t>(recentSize_));
    for (int i = 1; i <= recentSize_; ++i) {
        QString k = keyOf(kRecentSection, "File" + std::to_string(i));
        if (static_cast<std::size_t>(i) <= files.size())
            d_->store->setValue(k, toQt(files[static_cast<std::size_t>(i - 1)]));
        else
            d_->store->remove(k);
    }
}

std::string Settings::getString(const std::string& section, const std::string& entry,
                                const std::string& fallback) const {
    QVariant v = d_->store->value(keyOf(section, entry));
    if (!v.isValid())
        return fallback;
    return fromQt(v.toString());
}

void Settings::setString(const std::string& section, const std::string& entry,
                         const std::string& value) {
    d_->store->setValue(keyOf(section, entry), toQt(value));
}

int Settings::getInt(const std::string& section, const std::string& entry, int fallback) const {
    bool ok = false;
    int value = d_->store->value(keyOf(section, entry)).toInt(&ok);
    return ok ? value : fallback;
}

void Settings::setInt(const std::string& section, const std::string& entry, int value) {
    d_->store->setValue(keyOf(section, entry), value);
}

bool Settings::sync() {
    d_->store->sync();
    return d_->store->status() == QSettings::NoError;
}
