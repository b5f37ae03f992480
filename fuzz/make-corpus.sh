#!/usr/bin/env bash
# Writes the seed corpora under fuzz/corpus/<target>/: small byte-exact files of each format,
# with CR LF, lone CR, lone LF, high bytes and the malformed lines the readers must survive.
set -euo pipefail
cd "$(dirname "$0")/corpus"
seed() { mkdir -p "$1"; printf "$3" > "$1/$2"; }

ini='[Live]\r\nTrack 1=;;;;;;|One.mp3||C:\\Audio\\|||\r\nTrack 2=;;;;;;|Tom & Jerry.mp3||C:\\A&B\\|||\r\n[Studio]\r\nTrack 1=;;;;;;|Two.mp3||C:\\Audio\\|||\r\n'
ini_odd='[\r\nTrack 1=;;;;;;|a.mp3|x|C:\\|||\rbroken\rTrack 2=;;;;;;|b.mp3|\r\n[Na/me?:<>|"]\r\nTrack 3=;;;;;;|\xe9\x80.mp3||C:\\\xe9\\\n|||\r\n[]'
vrm='<?xml version="1.0" encoding="iso-8859-1" ?>\r\n<smil>\r\n   <body>\r\n      <seq>\r\n         <media src="C:\\Audio\\One.mp3">\r\n         </media>\r\n         <media src="C:\\A&amp;B\\it&apos;s.mp3">\r\n         </media>\r\n      </seq>\r\n   </body>\r\n</smil>\r\n'
vrm_odd='         <media src="">\r         <media src=\r\t<media src="x">\r\n          <media src="y">\r\n         <MEDIA src="z">\r\n         <media src="a" b="c"/>\r\n'
m3u='#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nC:\\Music\\a.mp3\r\n\\Music\\b & c.mp3\r\n'
m3u_odd='\xef\xbb\xbf#EXTM3U\nrel/one.mp3\nhttp://x/y.mp3\r\r\n\\root.mp3\r\xff\xfe'
groups='<?xml version="1.0" encoding="iso-8859-1" ?>\r\n<Groups>\r\n   <Group Name="Old" pos="2" lastrow="-1">\r\n      <SubGroup Name="A" pos="0" src="C:\\RC\\Playlists\\Old_A.XML"/>\r\n   </Group>\r\n</Groups>\r\n'
groups_oneline='<?xml version="1.0"?><Groups><Group Name="x"/></Groups>  \n \r\n\t\r\n'
groups_lf='<Groups>\n</Groups>\n'
reg='WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n#time=1d9a1b2c3d4e5f6\n"Blob"=hex:01,02,\\\n  03\n"CONFIG_RC_PATH"="C:\\\\FX\\\\RC\\\\"\n"Quoted"="say \\"hi\\"\\t\\x20ac!"\n"Expand"=str(2):"%%SystemRoot%%\\\\FX"\n'
reg_keyed='Software\\Odd[1]\0Name\0[Software\\\\Odd\\[1\\]] 1\n"Name"="bracket\\x00\\x\\"\n'

seed fuzz_group_ini rock.ini "$ini"
seed fuzz_group_ini odd.ini "$ini_odd"
seed fuzz_vrm_media rock.xml "$vrm"
seed fuzz_vrm_media odd.xml "$vrm_odd"
seed fuzz_m3u extended.m3u "$m3u"
seed fuzz_m3u odd.m3u "$m3u_odd"
seed fuzz_group_list groups.xml "$groups"
seed fuzz_group_list oneline.xml "$groups_oneline"
seed fuzz_group_list lf.xml "$groups_lf"
seed fuzz_wine_reg system.reg "$reg"
seed fuzz_wine_reg keyed.reg "$reg_keyed"
seed fuzz_convert rock.ini "$ini"
seed fuzz_convert odd.ini "$ini_odd"
seed fuzz_convert rock.xml "$vrm"
seed fuzz_convert extended.m3u "$m3u"
