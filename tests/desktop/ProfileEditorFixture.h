#pragma once

#include "DesktopFixture.h"
#include "profiles/FilterListBox.h"
#include "profiles/ProfileEditor.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <string>

namespace larkspan::testing {

// A program folder with webs, and a profile editor standing on Friday
// 1 March 2024 (a leap year).
class ProfileEditorFixture : public DesktopFixture {
  protected:
    ProfileEditorFixture() : clock(LocalDateTime{{2024, 3, 1}, 12, 0, 0}) {}

    static int day(int year, int month, int d) { return dayNumber({year, month, d}); }
    static QDate date(int year, int month, int d) { return QDate(year, month, d); }

    // A web the editor offers: its folder with its settings file.
    void makeWeb(const std::string& name)
    {
        temp.write("wwwstats/" + name + "/" + name + ".dat", name + "\r\n0\r\n0\r\n\r\nTRUE\r\n");
    }

    ProfileEditor& editor()
    {
        if (!editor_) editor_ = std::make_unique<ProfileEditor>(session(), clock);
        return *editor_;
    }

    // A fresh editor after the table file was written by hand: the name set,
    // the table loaded and populated, as the main window's Open does.
    ProfileEditor& open(const std::string& name, const std::string& rpf)
    {
        temp.write("My Profiles/" + name + ".rpf", rpf);
        editor_.reset();
        editor().setProfileName(name);
        editor().table().load(temp.file("My Profiles/" + name + ".rpf"));
        editor().populateFromTable();
        return editor();
    }

    template <class T> T* child(const char* name)
    {
        T* found = editor().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QLineEdit* field(const char* name) { return child<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(name); }
    QDateEdit* picker(const char* name) { return child<QDateEdit>(name); }
    FilterListBox* listBox(const char* name) { return child<FilterListBox>(name); }
    void click(const char* button) { child<QPushButton>(button)->click(); }

    // What a valid profile needs: name, URL, an existing web, a hit type.
    void fillValid(const std::string& name = "shop")
    {
        makeWeb("shop");
        editor();
        field("ProfName")->setText(QString::fromStdString(name));
        field("URL")->setText("www.shop.example");
        combo("WebList")->setEditText("shop");
    }

    std::string profileFile(const std::string& name, const std::string& extension) const
    {
        return temp.file("My Profiles/" + name + extension);
    }

    bool exists(const std::string& path) const;

    FixedClock clock;

  private:
    std::unique_ptr<ProfileEditor> editor_;
};

inline bool ProfileEditorFixture::exists(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

} // namespace larkspan::testing
