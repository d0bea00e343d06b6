#!/usr/bin/env bash
# Works the X clipboard for the end-to-end driver, as another X program would. The driver (under Wine) writes
# NAME.req in the folder given, holding "put FILE" or "get FILE" (files in the same folder); this answers with
# NAME.done: "ok" (for get: "ok WIDTH HEIGHT", with FILE.rgb holding the pixels as ImageMagick reads them) or
# "fail". Ends with the process that started it.
dir=$1
parent=$PPID
command -v xclip >/dev/null || exit 0
mkdir -p "$dir" && : > "$dir/ready"
while kill -0 "$parent" 2>/dev/null; do
  for req in "$dir"/*.req; do
    [ -f "$req" ] || continue
    read -r verb file < "$req"
    rm -f "$req"
    answer=fail
    case $verb in
      put) xclip -selection clipboard -t image/bmp -i "$dir/$file" && answer=ok ;;
      get)
        if timeout 10 xclip -selection clipboard -t image/bmp -o > "$dir/$file" 2>/dev/null &&
           size=$(identify -format '%w %h' "$dir/$file" 2>/dev/null) &&
           convert "$dir/$file" -depth 8 "RGB:$dir/$file.rgb" 2>/dev/null; then
          answer="ok $size"
        fi ;;
    esac
    echo "$answer" > "${req%.req}.tmp" && mv "${req%.req}.tmp" "${req%.req}.done"
  done
  sleep 0.1
done
rm -f "$dir/ready"
