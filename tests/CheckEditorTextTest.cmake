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
  "platform/Fonts.cpp: std::string family(const QFont& font) { return ToWin1252(font.family())")
# Nothing else: a comment, the gate's conversions and a unit's allowed call are never named.
set(passing "// " "FromEditorText(value)" "return Win1252ToUnicode(ch)")
expect_named_exactly("${faulty_err}" "\n[a-z]+/[A-Za-z/]+\\.(cpp|h): " "${expected}" "${passing}")
