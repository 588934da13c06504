[playlist]
File1=" lead.mp3"
File2=b.mp3
file10=x
NumberOfEntries=10
Version=2
