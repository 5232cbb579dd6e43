# Sourced by the bench: serves a folder over HTTP on 127.0.0.1 with Debian's nginx, the kind of
# static web server vendors publish clients to, and exports its port as STATIC_HTTP_PORT.
STATIC_SERVER_DIR=""

# start_static_server ROOT WORK: serves ROOT; WORK holds the server's configuration, pid and log.
start_static_server() {
  local root work port
  root=$(realpath "$1")
  work=$(realpath -m "$2")
  mkdir -p "$work"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cat >"$work/nginx.conf" <<CONF
worker_processes 2;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 256; }
http {
  access_log off;
  sendfile on;
  keepalive_requests 100000;
  default_type application/octet-stream;
  client_body_temp_path $work/body;
  proxy_temp_path $work/proxy;
  fastcgi_temp_path $work/fastcgi;
  uwsgi_temp_path $work/uwsgi;
  scgi_temp_path $work/scgi;
  server {
    listen 127.0.0.1:$port;
    root $root;
  }
}
CONF
  if ! nginx -q -p "$work" -c "$work/nginx.conf" -g 'daemon on;' 2>>"$work/error.log"; then
    echo "nginx did not start (see $work/error.log)"
    return 1
  fi
  STATIC_SERVER_DIR=$work
  export STATIC_HTTP_PORT=$port
}

stop_static_server() {
  if [ -n "$STATIC_SERVER_DIR" ]; then
    nginx -q -p "$STATIC_SERVER_DIR" -c "$STATIC_SERVER_DIR/nginx.conf" -s quit 2>/dev/null || true
    STATIC_SERVER_DIR=""
  fi
  return 0
}
