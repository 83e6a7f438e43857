# shellcheck shell=bash
# html_text.sh: html_text TEXT prints TEXT made safe for HTML text and attribute values.
# Sourced. The replacements are quoted: since bash 5.2 an unquoted & in a replacement
# stands for the matched text (patsub_replacement).
html_text() {
  local text=$1
  text=${text//&/"&amp;"}
  text=${text//</"&lt;"}
  text=${text//>/"&gt;"}
  text=${text//\"/"&quot;"}
  printf '%s' "$text"
}

# page_with_title TEMPLATE TITLE prints TEMPLATE with each @KELVO_TITLE@ replaced by TITLE
# made safe for HTML.
page_with_title() {
  local title
  title=$(html_text "$2")
  printf '%s\n' "${1//@KELVO_TITLE@/"$title"}"
}
