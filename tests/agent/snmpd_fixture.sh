#!/bin/bash
# Starts and stops a private net-snmp agent on a free 127.0.0.1 UDP port for the agent tests.
#
#   snmpd_fixture.sh start <state dir> [snmpd] [snmpget]
#   snmpd_fixture.sh stop <state dir>
#
# The state dir receives snmpd.conf, the agent's log and persistent files, "port" and "pid".
# The agent serves the objects of an ADSL router through "override" lines, beside what snmpd
# itself reports for the machine's loopback interface, to the community "vormel" over v1 and
# v2c, and to v3 users: "plain" without authentication, "auth<protocol>" for each
# authentication protocol, and "priv<protocol><cipher>" with privacy. Each user's passphrases
# are its name followed by "-auth" and "-priv".
set -u

command=${1:?start or stop}
dir=${2:?state directory}
snmpd=${3:-snmpd}
snmpget=${4:-snmpget}

# Kills the agent recorded in the state dir, and only if it still is that agent.
stop_agent() {
    [ -f "$dir/pid" ] || return 0
    local pid
    pid=$(cat "$dir/pid")
    rm -f "$dir/pid"
    if ! tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$dir/snmpd.conf"; then
        return 0 # gone already, or the number belongs to another process now
    fi
    kill "$pid"
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid"
}

write_conf() {
    cat >"$dir/snmpd.conf" <<EOF
agentaddress udp:127.0.0.1:$1
rocommunity vormel 127.0.0.1

override 1.3.6.1.2.1.1.1.0 octet_str "DSL router 4.2 (test agent)"
override 1.3.6.1.2.1.1.6.0 octet_str "Room \"B\", shelf 2"
override 1.3.6.1.2.1.2.2.1.2.2 octet_str "Ethernet"
override 1.3.6.1.2.1.2.2.1.2.3 octet_str "ATM"
override 1.3.6.1.2.1.2.2.1.2.4 octet_str "RFC-2364"
override 1.3.6.1.2.1.2.2.1.2.5 octet_str "Bridge"
override 1.3.6.1.2.1.2.2.1.2.6 octet_str "Ethernet over USB"
override 1.3.6.1.2.1.2.2.1.6.2 octet_str 0x000E501A2B3C
override 1.3.6.1.2.1.2.2.1.10.4 counter 3000000000
override 1.3.6.1.2.1.2.2.1.16.4 counter 4294967295
override 1.3.6.1.2.1.4.20.1.2.192.168.1.253 integer 1
override 1.3.6.1.2.1.4.20.1.2.10.0.0.138 integer 3
override 1.3.6.1.4.1.763.3.1.2.0 integer -12
override 1.3.6.1.4.1.763.3.1.3.0 uinteger 4294967295
override 1.3.6.1.4.1.763.3.1.4.0 object_id 1.3.6.1.4.1.763.1
override 1.3.6.1.4.1.763.3.1.5.0 octet_str 0x636166C3A9
override 1.3.6.1.4.1.763.3.1.6.0 octet_str 0x4C696E650A5465787409
override 1.3.6.1.4.1.763.3.1.7.0 octet_str ""
override 1.3.6.1.4.1.763.3.2.2.2 integer 2147483647
createUser plain
rouser plain noauth
EOF
    local protocol pair user
    for protocol in MD5 SHA SHA-224 SHA-256 SHA-384 SHA-512; do
        user=auth${protocol//-/}
        echo "createUser $user $protocol $user-auth"
        echo "rouser $user auth"
    done >>"$dir/snmpd.conf"
    for pair in MD5:DES SHA:AES SHA:DES SHA-256:AES SHA-512:AES SHA-512:DES; do
        user=priv${pair%%:*}${pair##*:}
        user=${user//-/}
        echo "createUser $user ${pair%%:*} $user-auth ${pair##*:} $user-priv"
        echo "rouser $user priv"
    done >>"$dir/snmpd.conf"
}

case $command in
start)
    stop_agent
    rm -rf "$dir"
    mkdir -p "$dir/persist"
    # snmpd reads nothing but this folder's files and writes its state there, also as root.
    export SNMP_PERSISTENT_DIR="$dir/persist" SNMPCONFPATH="$dir"
    for _ in $(seq 20); do
        port=$((20000 + RANDOM % 40000))
        write_conf "$port"
        "$snmpd" -f -Lo -C -c "$dir/snmpd.conf" -m "" -p "$dir/snmpd.pid" \
            </dev/null >"$dir/snmpd.log" 2>&1 &
        pid=$!
        echo "$pid" >"$dir/pid"
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break # could not bind that port: try another
            if "$snmpget" -v1 -c vormel -m "" -r 0 -t 0.2 -On "127.0.0.1:$port" \
                1.3.6.1.2.1.1.1.0 >/dev/null 2>&1; then
                echo "$port" >"$dir/port"
                echo "snmpd $pid answers on 127.0.0.1:$port"
                exit 0
            fi
            sleep 0.1
        done
        stop_agent
    done
    echo "snmpd did not start; its last log:"
    cat "$dir/snmpd.log"
    exit 1
    ;;
stop)
    stop_agent
    ;;
*)
    echo "usage: $0 start|stop <state dir> [snmpd] [snmpget]" >&2
    exit 2
    ;;
esac
