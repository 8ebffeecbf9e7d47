# Turns CHANGES (the version history) into the 更新履歴 of the packages:
#   awk -v form=text -f scripts/changes.awk CHANGES   readme.txt's lines
#   awk -v form=html -f scripts/changes.awk CHANGES   the guide's HTML
# A line "== <version> (<date>)" starts a version, "- <text>" a change, a line
# starting with two spaces continues the change; "#" lines are left out.
function html(s) {
  gsub(/&/, "\\&amp;", s); gsub(/</, "\\&lt;", s); gsub(/>/, "\\&gt;", s)
  return s
}
function end_item() {
  if (item == "") return
  if (form == "html") print "  <li>" html(item) "</li>"
  item = ""
}
function end_version() {
  end_item()
  if (open && form == "html") print "</ul>"
  open = 0
}
/^#/ { next }
/^== / {
  end_version()
  v = substr($0, 4); sub(/ \(/, "（", v); sub(/\)$/, "）", v)
  if (form == "html") { print "<h3>" html(v) "</h3>"; print "<ul>" }
  else { if (seen) print ""; print "  " v }
  open = 1; seen = 1
  next
}
/^- / {
  end_item()
  item = substr($0, 3)
  if (form == "text") print "    ・" item
  next
}
/^  / {
  line = $0; sub(/^ +/, "", line)
  item = item line
  if (form == "text") print "      " line
  next
}
END { end_version() }
