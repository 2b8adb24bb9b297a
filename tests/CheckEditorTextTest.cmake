# The editor text check on two small trees: the clean one passes, the faulty one fails naming exactly its
# offending lines, each with its file. Run with -DCHECK=<the check's script> -DTREES=<folder of the two trees>.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/CheckTrees.cmake)
run_check_on_trees(${CHECK} ${TREES} faulty_err)
set(expected
  "app/panels/Grid.cpp: void show(QLineEdit* edit, const std::string& value) { edit->setText(FromWin1252(value))"
  "app/panels/Grid.cpp: std::string read(const QLineEdit* edit) { return ToWin1252(edit->text())"
  "editor/Search.cpp: QString pattern(std::string_view text) { return FromShownText(text)"
  "editor/Painter.cpp: void draw(QPainter& p, std::string_view chars, const std::string& title) { p.drawText(0, 0, FromShownText(chars) + FromWin1252(title))"
  "components/Report.cpp: void append(std::string& out, char c) { AppendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(c)))"
  "platform/Fonts.cpp: std::string family(const QFont& font) { return ToWin1252(font.family())"
  # A marker that does not say why passes nothing; an allowed unit is allowed its one conversion.
  "app/panels/Unexplained.cpp: void show(QLabel* label, const std::string& name) { label->setText(QString::fromStdString(name))"
  "components/KrProps.cpp: QString text(const std::string& value) { return QString::fromStdString(value)")
# Each of Qt's conversions of a string that is no literal, in each folder of the editor's text: the
# unit is named for the conversion, and holds the line up to its first ";".
set(qt_conversions
  "FromLatin1|QString shown(const std::string& text) { return QString::fromLatin1(text.c_str())"
  "FromLocal8Bit|QString shown(const std::string& text) { return QString::fromLocal8Bit(text.data(), 3)"
  "FromStdString|void show(QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text))"
  "FromUtf8|QString shown(const QByteArray& bytes) { return QString::fromUtf8(bytes)"
  "Latin1String|bool same(const QString& a, const char* b) { return a == QLatin1String(b)"
  "Latin1StringView|bool same(const QString& a, const char* b) { return a == QLatin1StringView(b, 3)"
  "StringOfBytes|QString shown(const char* text) { return QString(text)"
  "ToLatin1|QByteArray read(const QLineEdit* edit) { return edit->text().toLatin1()"
  "ToLocal8Bit|QByteArray read(const QString& text) { return text.toLocal8Bit()"
  "ToStdString|std::string read(const QLineEdit* edit) { return edit->text().toStdString()"
  "ToUtf8|QByteArray read(const QString* text) { return text->toUtf8()")
foreach(folder app/panels components editor toolbars)
  foreach(conversion ${qt_conversions})
    string(FIND "${conversion}" "|" bar)
    string(SUBSTRING "${conversion}" 0 ${bar} unit)
    math(EXPR bar "${bar} + 1")
    string(SUBSTRING "${conversion}" ${bar} -1 line)
    list(APPEND expected "${folder}/${unit}.cpp: ${line}")
  endforeach()
endforeach()
# Nothing else: a comment, the gate's conversions, a unit's allowed call are never named. (The clean
# tree's passing proves the same of literals, empty strings, characters, a QByteArray's bytes, a line
# marked as no editor text and Qt's conversions in platform/.)
set(passing "// " "FromEditorText(value)" "return Win1252ToUnicode(ch)" "QString(value.value<QChar>())")
expect_named_exactly("${faulty_err}" "\n[a-z]+/[A-Za-z0-9/]+\\.(cpp|h): " "${expected}" "${passing}")
