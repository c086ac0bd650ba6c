<?xml version="1.0" encoding="UTF-8"?>
<!-- The right answer, as plain text: its options. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="answer-text.xsl"/>
  <xsl:output method="text" encoding="UTF-8"/>
  <xsl:template match="/">
    <xsl:call-template name="options-text">
      <xsl:with-param name="answer" select="*/right-answer"/>
    </xsl:call-template>
  </xsl:template>
</xsl:stylesheet>
