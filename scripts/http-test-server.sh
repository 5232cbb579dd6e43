# Sourced by the scripts that run the network tests: starts the tests' HTTP server on 127.0.0.1
# and exports its port as TEST_HTTP_PORT for the test programs (Wine hands the environment on).
HTTP_SERVER_PID=""

start_http_server() {
  local log=$1 port_file
  port_file=$(mktemp)
  rm -f "$port_file"
  python3 tests/helpers/http_test_server.py --port-file "$port_file" </dev/null >"$log" 2>&1 &
  HTTP_SERVER_PID=$!
  for _ in $(seq 100); do
    [ -s "$port_file" ] && break
    sleep 0.1
  done
  TEST_HTTP_PORT=$(cat "$port_file" 2>/dev/null)
  rm -f "$port_file"
  if [ -z "$TEST_HTTP_PORT" ]; then
    echo "the test HTTP server did not start (see $log)"
    stop_http_server
    return 1
  fi
  export TEST_HTTP_PORT
  # WinINet under Wine sends requests through these when they are set; the tests talk only to
  # the local server, directly.
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
}

stop_http_server() {
  if [ -n "$HTTP_SERVER_PID" ]; then
    kill "$HTTP_SERVER_PID" 2>/dev/null
    wait "$HTTP_SERVER_PID" 2>/dev/null || true  # it ends by the signal just sent
    HTTP_SERVER_PID=""
  fi
  return 0
}
