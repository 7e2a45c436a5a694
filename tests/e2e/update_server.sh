#!/bin/sh
# A local update server for the version-check tests: nginx on 127.0.0.1,
# one site per port, each answering the way one test needs.
#   PORT+0  lists Belmo 1140 (newer); the download script redirects to the
#           archive and keeps the connection alive
#   PORT+1  lists Belmo 1130 (this version)
#   PORT+2  lists Belmo 1120 (older)
#   PORT+3  has no version file (404)
#   PORT+4  like PORT+0, but closes the connection after the redirect
# PORT+9 is left unused, for the refused-connection test.
#
# usage: update_server.sh start WORKDIR PORT   prints the base port it got
#        update_server.sh stop WORKDIR
# A busy PORT is not fatal: the next few blocks of ten are tried.
set -eu
command=$1
work=$2

stop() {
  pid=$(cat "$work/server.pid" 2>/dev/null) || return 0
  rm -f "$work/server.pid"
  kill "$pid" 2>/dev/null || return 0
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -9 "$pid" 2>/dev/null || true
}

site() {  # site DIR VERSION_LINE
  mkdir -p "$1/softs/ab"
  if [ -n "$2" ]; then
    printf 'Sonata 2000\r\n%s\r\nOther 0001\r\n' "$2" > "$1/softs/version.txt"
  fi
  printf '<html><body>Belmo releases</body></html>\n' > "$1/softs/ab/index.html"
  cp "$work/belmo-1.1.4.0.zip" "$1/softs/"
}

server_block() {  # server_block PORT SITE [KEEPALIVE_OF_THE_SCRIPT]
  cat <<EOF
  server {
    listen 127.0.0.1:$1;
    root $work/$2;
    location = /cgi-bin/download.cgi {
      keepalive_timeout ${3:-65};
      if (\$download_ok = 0) { return 404; }
      return 302 http://127.0.0.1:\$server_port/softs/belmo-1.1.4.0.zip;
    }
  }
EOF
}

write_config() {  # write_config PORT
  user_line=""
  [ "$(id -u)" -eq 0 ] && user_line="user $(id -un);"
  cat > "$work/nginx.conf" <<EOF
$user_line
daemon off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 64; }
http {
  # Connection number and its request count show which requests shared one.
  log_format exchange '\$server_port c\$connection/\$connection_requests "\$request" \$status \$body_bytes_sent';
  access_log $work/access.log exchange;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  types { text/plain txt; text/html html; application/zip zip; }
  default_type application/octet-stream;
  keepalive_timeout 65;
  # The download script answers only the request the program sends.
  map "\$arg_softname:\$arg_softtype" \$download_ok { "Belmo1140:ab" 1; default 0; }
$(server_block "$1" newer)
$(server_block $(($1 + 1)) equal)
$(server_block $(($1 + 2)) older)
$(server_block $(($1 + 3)) missing)
$(server_block $(($1 + 4)) closing 0)
}
EOF
}

start() {
  port=$1
  stop
  rm -rf "$work"
  mkdir -p "$work/temp"
  # An archive big enough to arrive in many pieces.
  head -c 300000 /dev/urandom > "$work/belmo-1.1.4.0.zip"
  site "$work/newer" "Belmo 1140"
  site "$work/equal" "Belmo 1130"
  site "$work/older" "Belmo 1120"
  site "$work/missing" ""
  site "$work/closing" "Belmo 1140"
  for _ in 1 2 3 4 5; do
    write_config "$port"
    rm -f "$work/nginx.pid"
    nginx -p "$work/" -c "$work/nginx.conf" -e "$work/error.log" </dev/null >>"$work/error.log" 2>&1 &
    echo $! > "$work/server.pid"
    # nginx writes its pid file once it listens; it exits when a port is taken.
    for _ in $(seq 50); do
      [ -f "$work/nginx.pid" ] && { echo "$port"; return 0; }
      kill -0 "$(cat "$work/server.pid")" 2>/dev/null || break
      sleep 0.1
    done
    stop
    port=$((port + 10))
  done
  echo "update_server.sh: nginx did not start; see $work/error.log" >&2
  return 1
}

case $command in
  start) start "$3" ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop WORKDIR [PORT]" >&2; exit 2 ;;
esac
