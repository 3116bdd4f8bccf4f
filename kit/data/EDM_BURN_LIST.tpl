! Kelvora 导出模板：分号分隔的放电清单，每个工序一行（编号;X;Y;Z;C;单边火花位）
! Kelvora export template: a semicolon-separated burn list, one line per operation.
! 写法见工具文件夹的 README.md / The format is described in the tool folder's README.md.
FILE=#PART#_EDM_BURN.csv
ID;X;Y;Z;C;GAP
OP_START
#ID#;#X#;#Y#;#Z#;#C#;#GAP#
OP_END
